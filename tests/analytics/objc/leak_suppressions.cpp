// LeakSanitizer reads this hook in the AddressSanitizer build. The GNU Objective-C runtime and GNUstep Base
// allocate their class and method tables, bundle records and other singletons when a class is first loaded or
// used, and keep them for the life of the process without a pointer LeakSanitizer can follow; in the bridge's
// tests alone those libraries' allocations are not counted as leaks. Everything else stays checked.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libobjc.so\n"
           "leak:libgnustep-base.so\n";
}
