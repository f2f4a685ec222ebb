#include "crash/crash_event.hpp"

#include "crash/crash_handler.hpp"
#include "crash/event_contexts.hpp"
#include "crash/hex_text.hpp"
#include "crash/sentry_envelope.hpp"

#include <csignal>
#include <sstream>
#include <string_view>

namespace clicktrove::crash {

namespace {

const char* signalDescription(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "Segmentation fault";
        case SIGBUS:
            return "Bus error";
        case SIGFPE:
            return "Floating-point exception";
        case SIGILL:
            return "Illegal instruction";
        case SIGABRT:
            return "Aborted";
        case SIGTRAP:
            return "Trace/breakpoint trap";
        case SIGSYS:
            return "Bad system call";
        default:
            return "Fatal signal";
    }
}

std::string codeName(int signal, int code) {
    switch (code) {
        case SI_USER:
            return "SI_USER";
        case SI_QUEUE:
            return "SI_QUEUE";
        case SI_TKILL:
            return "SI_TKILL";
        case SI_KERNEL:
            return "SI_KERNEL";
        default:
            break;
    }
    switch (signal) {
        case SIGSEGV:
            if (code == SEGV_MAPERR) return "SEGV_MAPERR";
            if (code == SEGV_ACCERR) return "SEGV_ACCERR";
            break;
        case SIGBUS:
            if (code == BUS_ADRALN) return "BUS_ADRALN";
            if (code == BUS_ADRERR) return "BUS_ADRERR";
            if (code == BUS_OBJERR) return "BUS_OBJERR";
            break;
        case SIGFPE:
            if (code == FPE_INTDIV) return "FPE_INTDIV";
            if (code == FPE_INTOVF) return "FPE_INTOVF";
            if (code == FPE_FLTDIV) return "FPE_FLTDIV";
            if (code == FPE_FLTOVF) return "FPE_FLTOVF";
            if (code == FPE_FLTUND) return "FPE_FLTUND";
            if (code == FPE_FLTRES) return "FPE_FLTRES";
            if (code == FPE_FLTINV) return "FPE_FLTINV";
            if (code == FPE_FLTSUB) return "FPE_FLTSUB";
            break;
        case SIGILL:
            if (code == ILL_ILLOPC) return "ILL_ILLOPC";
            if (code == ILL_ILLOPN) return "ILL_ILLOPN";
            if (code == ILL_ILLADR) return "ILL_ILLADR";
            if (code == ILL_ILLTRP) return "ILL_ILLTRP";
            if (code == ILL_PRVOPC) return "ILL_PRVOPC";
            if (code == ILL_PRVREG) return "ILL_PRVREG";
            if (code == ILL_COPROC) return "ILL_COPROC";
            if (code == ILL_BADSTK) return "ILL_BADSTK";
            break;
        case SIGTRAP:
            if (code == TRAP_BRKPT) return "TRAP_BRKPT";
            if (code == TRAP_TRACE) return "TRAP_TRACE";
            if (code == TRAP_BRANCH) return "TRAP_BRANCH";
            if (code == TRAP_HWBKPT) return "TRAP_HWBKPT";
            break;
        case SIGSYS:
            // The kernel's SYS_SECCOMP, which the C library's headers do not name.
            if (code == 1) return "SYS_SECCOMP";
            break;
        default:
            break;
    }
    return {};
}

// Frames of the system's own libraries are not the program's code, nor are those of the way a crash is
// reported: the crash handler, and the path from std::terminate or abort down to the signal (in a program that
// links its C++ runtime statically they lie in its own file). The culprit is the frame above them.
bool inApp(const std::string& path, const std::string& function) {
    for (const char* system : {"/lib/", "/lib64/", "/usr/lib/", "/usr/lib64/", "["}) {
        if (path.rfind(system, 0) == 0) return false;
    }
    const std::string_view name = std::string_view(function).substr(0, function.find('('));
    for (const char* reporting : {"abort", "raise", "gsignal", "pthread_kill", "__GI_abort", "__GI_raise",
                                  "std::terminate", "__gnu_cxx::__verbose_terminate_handler"}) {
        if (name == reporting) return false;
    }
    for (const char* reporting : {kHandlerNamespace, "__cxa_", "__cxxabiv1::", "std::__terminate", "__pthread_kill",
                                  "_Unwind_"}) {
        if (name.rfind(reporting, 0) == 0) return false;
    }
    return true;
}

std::string fileName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

nlohmann::json exception(const CrashReport& report) {
    nlohmann::json signal{{"number", report.signal}};
    if (!report.signalName.empty()) signal["name"] = report.signalName;
    if (report.code) {
        signal["code"] = *report.code;
        if (const std::string name = codeName(report.signal, *report.code); !name.empty()) signal["code_name"] = name;
    }
    nlohmann::json mechanism{{"handled", false}, {"meta", {{"signal", signal}}}};
    nlohmann::json value;
    if (report.terminate && !report.terminate->exceptionType.empty()) {
        mechanism["type"] = "terminate";
        value["type"] = demangled(report.terminate->exceptionType.c_str());
        value["value"] = report.terminate->what;
    } else {
        std::string text = signalDescription(report.signal);
        if (report.terminate) text = "std::terminate called without an active exception";
        if (report.faultAddress) {
            text += " at address " + hexAddress(*report.faultAddress);
            mechanism["data"] = {{"relevant_address", hexAddress(*report.faultAddress)}};
        }
        mechanism["type"] = report.terminate ? "terminate" : "signalhandler";
        // Every crash of one signal shares a title; the service should group by the stack instead.
        mechanism["synthetic"] = true;
        value["type"] = report.signalName.empty() ? "Signal " + std::to_string(report.signal) : report.signalName;
        value["value"] = text;
    }
    value["mechanism"] = mechanism;
    value["thread_id"] = report.threadId;

    nlohmann::json frames = nlohmann::json::array();
    for (auto it = report.frames.rbegin(); it != report.frames.rend(); ++it) {
        nlohmann::json frame{{"instruction_addr", hexAddress(it->address)}};
        if (it->module) {
            const CrashReport::Module& module = report.modules[*it->module];
            frame["package"] = module.path;
            frame["image_addr"] = hexAddress(module.start);
            frame["in_app"] = inApp(module.path, it->function);
        }
        if (!it->function.empty()) frame["function"] = it->function;
        if (!it->file.empty()) {
            frame["abs_path"] = it->file;
            frame["filename"] = fileName(it->file);
        }
        if (it->line > 0) frame["lineno"] = it->line;
        frames.push_back(std::move(frame));
    }
    value["stacktrace"] = {{"frames", frames}};
    return value;
}

nlohmann::json debugImages(const CrashReport& report, const std::string& arch) {
    nlohmann::json images = nlohmann::json::array();
    for (const CrashReport::Module& module : report.modules) {
        const std::string id = CrashEvent::debugId(module.buildId);
        if (id.empty()) continue;  // the service needs an identifier to find the image's debug file
        nlohmann::json image{{"type", "elf"},
                             {"code_file", module.path},
                             {"code_id", module.buildId},
                             {"debug_id", id},
                             {"image_addr", hexAddress(module.start)},
                             {"image_size", module.end - module.start}};
        if (module.vmaddr != 0) image["image_vmaddr"] = hexAddress(module.vmaddr);
        if (!arch.empty()) image["arch"] = arch;
        images.push_back(std::move(image));
    }
    return images;
}

}  // namespace

std::string CrashEvent::debugId(std::string_view buildIdHex) {
    if (buildIdHex.empty() || buildIdHex.size() % 2 != 0 ||
        buildIdHex.find_first_not_of("0123456789abcdef") != std::string_view::npos) {
        return {};
    }
    std::string bytes(32, '0');  // 16 bytes as hex, zero-padded when the build ID is shorter
    buildIdHex.substr(0, 32).copy(bytes.data(), 32);
    const auto byte = [&](int i) { return bytes.substr(static_cast<std::size_t>(i) * 2, 2); };
    return byte(3) + byte(2) + byte(1) + byte(0) + "-" + byte(5) + byte(4) + "-" + byte(7) + byte(6) + "-" + byte(8) +
           byte(9) + "-" + bytes.substr(20);
}

nlohmann::json CrashEvent::payload(const CrashReport& report, std::string_view eventId) {
    // "os" holds "<system> <kernel release> <machine>".
    EventContexts contexts;
    std::istringstream os(report.os);
    os >> contexts.system >> contexts.kernel >> contexts.machine;
    contexts.distributionName = report.distributionName;
    contexts.distributionVersion = report.distributionVersion;
    contexts.appVersion = report.version;
    contexts.appBuild = report.dist;

    nlohmann::json event{
        {"event_id", eventId},
        {"timestamp", report.time},
        {"platform", "native"},
        {"level", "fatal"},
        {"environment", "production"},
        {"sdk", SentryEnvelope::sdk()},
        {"exception", {{"values", nlohmann::json::array({exception(report)})}}},
        {"threads",
         {{"values",
           nlohmann::json::array(
               {{{"id", report.threadId}, {"name", report.threadName}, {"crashed", true}, {"current", true}}})}}},
        {"debug_meta", {{"images", debugImages(report, contexts.machine)}}}};
    if (!report.release.empty()) event["release"] = report.release;
    if (!report.dist.empty()) event["dist"] = report.dist;
    if (nlohmann::json json = contexts.json(); !json.empty()) event["contexts"] = std::move(json);
    return event;
}

}  // namespace clicktrove::crash
