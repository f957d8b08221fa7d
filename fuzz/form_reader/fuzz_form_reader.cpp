// Feeds arbitrary text to the description reader. A description that is accepted must write
// back to a text that reads again and writes the same.
#include "SampleComponents.h"

#include <vcl/FormText.h>

#include <cstdlib>

using namespace vcl;

namespace {
bool Registered = [] {
    RegisterClass<TSampleRoot>();
    RegisterClass<TSampleItem>();
    RegisterClass<TSampleLink>();
    return true;
}();
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(Data), qsizetype(Size));
    TComponent owner(nullptr);
    QString written;
    try {
        TComponent* root = ReadComponentText(text, QStringLiteral("fuzz"), nullptr, &owner);
        written = WriteComponentText(root);
    } catch (const Exception&) {
        if (owner.ComponentCount() != 0)
            std::abort(); // a refused description left something behind
        return 0;
    }
    TComponent again(nullptr);
    TComponent* copy = ReadComponentText(written, QStringLiteral("rewritten"), nullptr, &again);
    if (WriteComponentText(copy) != written)
        std::abort();
    return 0;
}
