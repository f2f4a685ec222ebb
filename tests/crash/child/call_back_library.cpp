// A library the crash child loads and calls, which calls back into the child: the crash then happens with a frame
// of the library between two of the program, for the test of a library replaced on disk after the crash.
extern "C" [[gnu::visibility("default"), gnu::noinline]] void crashChildCallBack(void (*callBack)()) {
    callBack();
    // Something after the call, so that it is no tail call and this frame stays on the stack.
    __asm__ volatile("" ::: "memory");
}
