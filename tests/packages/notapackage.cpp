// A plain library: no entry points of the package protocol.
extern "C" __attribute__((visibility("default"))) int Answer() {
    return 42;
}
