#include "crash/crash_report.hpp"

#include "crash/crash_report_format.hpp"
#include "crash/hex_text.hpp"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace clicktrove::crash {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Splits off the text up to the first `separator` (all of it when there is none).
std::string_view takeField(std::string_view& rest, char separator = ' ') {
    const auto at = rest.find(separator);
    const std::string_view field = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
    return field;
}

template <typename Number>
bool parseDecimal(std::string_view text, Number& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool parseHex(std::string_view text, std::uint64_t& value) {
    if (!startsWith(text, "0x") || text.size() == 2) return false;
    text.remove_prefix(2);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size();
}

bool isHex(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool parseRegisters(std::string_view rest, std::vector<std::uint64_t>& registers) {
    registers.clear();
    while (!rest.empty()) {
        std::uint64_t value = 0;
        if (!parseHex(takeField(rest), value)) return false;
        registers.push_back(value);
    }
    return !registers.empty();
}

// One "stack" line: its bytes must follow on from the lines before.
bool parseStack(std::string_view rest, std::optional<CrashReport::Stack>& stack) {
    std::uint64_t address = 0;
    if (!parseHex(takeField(rest), address) || rest.empty() || rest.size() % 2 != 0) return false;
    if (!stack) {
        // Assigned whole: clang cannot default-construct a nested struct with member initialisers in place here.
        stack = CrashReport::Stack{address, std::string()};
    } else if (address != stack->start + stack->bytes.size()) {
        return false;
    }
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        const int high = hexValue(rest[i]);
        const int low = hexValue(rest[i + 1]);
        if (high < 0 || low < 0) return false;
        stack->bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

bool parseModule(std::string_view rest, std::size_t expectedIndex, CrashReport::Module& module) {
    std::size_t index = 0;
    if (!parseDecimal(takeField(rest), index) || index != expectedIndex) return false;
    if (!parseHex(takeField(rest), module.start) || !parseHex(takeField(rest), module.end) ||
        !parseHex(takeField(rest), module.vmaddr) || module.end < module.start) {
        return false;
    }
    const std::string_view buildId = takeField(rest);
    if (buildId != "-" && !isHex(buildId)) return false;
    module.buildId = buildId == "-" ? std::string() : std::string(buildId);
    module.path = std::string(rest);
    return !module.path.empty();
}

bool parseFrame(std::string_view rest, std::size_t expectedIndex, std::size_t moduleCount, CrashReport::Frame& frame) {
    std::string_view symbols;
    if (const auto tab = rest.find('\t'); tab != std::string_view::npos) {
        symbols = rest.substr(tab + 1);
        rest = rest.substr(0, tab);
    }
    std::size_t index = 0;
    if (!parseDecimal(takeField(rest), index) || index != expectedIndex) return false;
    if (!parseHex(takeField(rest), frame.address)) return false;
    const std::string_view module = takeField(rest);
    if (module != "-") {
        std::size_t moduleIndex = 0;
        if (!parseDecimal(module, moduleIndex) || moduleIndex >= moduleCount) return false;
        frame.module = moduleIndex;
    }
    if (!rest.empty()) return false;
    if (!symbols.empty()) {
        frame.function = std::string(takeField(symbols, '\t'));
        frame.file = std::string(takeField(symbols, '\t'));
        if (!symbols.empty() && !parseDecimal(symbols, frame.line)) return false;
    }
    return true;
}

}  // namespace

std::optional<CrashReport> CrashReport::parse(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        lines.push_back(text.substr(0, newline));
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    }
    if (lines.size() < 2 || lines.front() != kReportHeader || lines.back() != kReportEnd) return std::nullopt;

    CrashReport report;
    bool haveSignal = false;
    bool haveThread = false;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::string_view line = lines[i];
        std::string_view rest;
        const auto value = [&](std::string_view key) {
            if (!startsWith(line, key)) return false;
            rest = line.substr(key.size());
            return true;
        };
        if (value(kReleaseKey)) {
            report.release = std::string(rest);
        } else if (value(kDistKey)) {
            report.dist = std::string(rest);
        } else if (value(kVersionKey)) {
            report.version = std::string(rest);
        } else if (value(kTimeKey)) {
            report.time = std::string(rest);
        } else if (value(kProcessKey)) {
            if (!parseDecimal(rest, report.processId)) return std::nullopt;
        } else if (value(kSignalKey)) {
            if (!parseDecimal(takeField(rest), report.signal)) return std::nullopt;
            report.signalName = std::string(rest);
            haveSignal = true;
        } else if (value(kCodeKey)) {
            int code = 0;
            if (!parseDecimal(rest, code)) return std::nullopt;
            report.code = code;
        } else if (value(kAddressKey)) {
            std::uint64_t address = 0;
            if (!parseHex(rest, address)) return std::nullopt;
            report.faultAddress = address;
        } else if (value(kThreadKey)) {
            if (!parseDecimal(takeField(rest), report.threadId)) return std::nullopt;
            report.threadName = std::string(rest);
            haveThread = true;
        } else if (value(kTerminateKey)) {
            Terminate terminate;
            if (!rest.empty()) {
                terminate.exceptionType = std::string(takeField(rest, '\t'));
                terminate.what = std::string(rest);
            }
            report.terminate = std::move(terminate);
        } else if (value(kOsKey)) {
            report.os = std::string(rest);
        } else if (value(kDistributionKey)) {
            report.distributionName = std::string(takeField(rest, '\t'));
            report.distributionVersion = std::string(rest);
        } else if (value(kModuleKey)) {
            Module module;
            if (!parseModule(rest, report.modules.size(), module)) return std::nullopt;
            report.modules.push_back(std::move(module));
        } else if (value(kRegistersKey)) {
            if (!parseRegisters(rest, report.registers)) return std::nullopt;
        } else if (value(kStackKey)) {
            if (!parseStack(rest, report.stack)) return std::nullopt;
        } else if (value(kFrameKey)) {
            Frame frame;
            if (!parseFrame(rest, report.frames.size(), report.modules.size(), frame)) return std::nullopt;
            report.frames.push_back(std::move(frame));
        } else if (value(kSymbolizedKey)) {
            report.symbolized = rest == "yes";
        } else if (value(kEventKey)) {
            // An identifier that is not one cannot be sent; the report gets a fresh one instead.
            if (rest.size() == 32 && isHex(rest)) report.eventId = std::string(rest);
        }
        // Keys this version does not know are skipped, so that an older program still reads a newer report.
    }
    if (!haveSignal || !haveThread || report.time.empty() || report.frames.empty()) return std::nullopt;
    return report;
}

std::string CrashReport::serialize() const {
    std::ostringstream out;
    out << kReportHeader << '\n';
    out << kReleaseKey << release << '\n';
    out << kDistKey << dist << '\n';
    if (!version.empty()) out << kVersionKey << version << '\n';
    out << kTimeKey << time << '\n';
    out << kProcessKey << processId << '\n';
    out << kSignalKey << signal << ' ' << signalName << '\n';
    if (code) out << kCodeKey << *code << '\n';
    if (faultAddress) out << kAddressKey << hexAddress(*faultAddress) << '\n';
    out << kThreadKey << threadId << ' ' << threadName << '\n';
    if (terminate) {
        out << kTerminateKey;
        if (!terminate->exceptionType.empty()) out << terminate->exceptionType << '\t' << terminate->what;
        out << '\n';
    }
    if (!os.empty()) out << kOsKey << os << '\n';
    if (!distributionName.empty() || !distributionVersion.empty()) {
        out << kDistributionKey << distributionName << '\t' << distributionVersion << '\n';
    }
    for (std::size_t i = 0; i < modules.size(); ++i) {
        const Module& m = modules[i];
        out << kModuleKey << i << ' ' << hexAddress(m.start) << ' ' << hexAddress(m.end) << ' ' << hexAddress(m.vmaddr)
            << ' ' << (m.buildId.empty() ? "-" : m.buildId) << ' ' << m.path << '\n';
    }
    if (!registers.empty()) {
        out << kRegistersKey;
        for (std::size_t i = 0; i < registers.size(); ++i) out << (i > 0 ? " " : "") << hexAddress(registers[i]);
        out << '\n';
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const Frame& f = frames[i];
        out << kFrameKey << i << ' ' << hexAddress(f.address) << ' ';
        if (f.module) {
            out << *f.module;
        } else {
            out << '-';
        }
        if (!f.function.empty() || !f.file.empty()) {
            out << '\t' << f.function << '\t' << f.file << '\t';
            if (f.line > 0) out << f.line;
        }
        out << '\n';
    }
    if (stack) {
        for (std::size_t at = 0; at < stack->bytes.size(); at += kStackLineBytes) {
            const std::size_t count = std::min(kStackLineBytes, stack->bytes.size() - at);
            out << kStackKey << hexAddress(stack->start + at) << ' '
                << hexBytes(reinterpret_cast<const unsigned char*>(stack->bytes.data() + at), count) << '\n';
        }
    }
    if (symbolized) out << kSymbolizedKey << "yes\n";
    if (!eventId.empty()) out << kEventKey << eventId << '\n';
    out << kReportEnd << '\n';
    return out.str();
}

}  // namespace clicktrove::crash
