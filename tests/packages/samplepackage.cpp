// A package as a host sees one: entry points, a module table, a declaration and a component.
#include <vcl/Classes.h>
#include <vcl/Packages.h>

#ifndef PACKAGE_MODULE
#error "PACKAGE_MODULE must name the package's own module"
#endif

namespace {

class TSampleWidget : public vcl::TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TSampleWidget(vcl::TComponent* AOwner) : TComponent(AOwner) {}
};

// Registered as a class only (streamed by name), never put on the palette.
class TSampleHelper : public vcl::TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TSampleHelper(vcl::TComponent* AOwner) : TComponent(AOwner) {}
};

int Initialised = 0;
void Register() {
    vcl::RegisterComponents(QStringLiteral("Samples"), {&TSampleWidget::staticMetaObject});
}
void InitUnit() {
    ++Initialised;
    vcl::RegisterClass(&TSampleHelper::staticMetaObject);
}
void FinUnit() {
    --Initialised;
}

const TPackageUnitEntry Units[] = {
    {PACKAGE_MODULE, nullptr, nullptr, nullptr},
    {"SampleUnit", InitUnit, FinUnit, Register},
};
const TPackageInfoTable Table{2, Units};

} // namespace

extern "C" {
Q_DECL_EXPORT void Initialize() {
    vcl::InitializePackage(&Table);
}
#ifndef LEAVE_OUT_FINALIZE
Q_DECL_EXPORT void Finalize() {
    vcl::FinalizePackage(&Table);
}
#endif
Q_DECL_EXPORT const TPackageInfoTable* GetPackageInfoTable() {
    return &Table;
}
Q_DECL_EXPORT int SampleUnitsInitialised() {
    return Initialised;
}
}

#include "samplepackage.moc"
