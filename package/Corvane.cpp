// The package Corvane: its module table and the entry points of the package protocol. Its own
// module holds no code; SQLConnect and ListReg register the components.

#include <connection/SQLConnect.h>
#include <serverlist/ListReg.h>
#include <vcl/Packages.h>

namespace {

const TPackageUnitEntry Units[] = {
    {"Corvane", nullptr, nullptr, nullptr},
    {"connect", nullptr, nullptr, nullptr},
    {"SQLConnect", nullptr, nullptr, &SQLConnect::Register},
    {"SysInit", nullptr, nullptr, nullptr},
    {"ListReg", nullptr, nullptr, &ListReg::Register},
    {"ListSerFm", nullptr, nullptr, nullptr},
};
const TPackageInfoTable PackageInfoTable{int(std::size(Units)), Units};

} // namespace

extern "C" {
Q_DECL_EXPORT void Initialize() {
    vcl::InitializePackage(&PackageInfoTable);
}
Q_DECL_EXPORT void Finalize() {
    vcl::FinalizePackage(&PackageInfoTable);
}
Q_DECL_EXPORT const TPackageInfoTable* GetPackageInfoTable() {
    return &PackageInfoTable;
}
}
