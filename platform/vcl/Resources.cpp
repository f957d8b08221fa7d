#include "Resources.h"

#include <QDir>
#include <QFile>

namespace vcl {

namespace {
const QString root = QStringLiteral(":/res");

QString Locate(const String& Name) {
    const QString upper = Name.toUpper();
    for (const QString& module : QDir(root).entryList(QDir::Dirs, QDir::Name)) {
        const QString path = root + QLatin1Char('/') + module + QLatin1Char('/') + upper;
        if (QFile::exists(path))
            return path;
    }
    return {};
}

QByteArray ReadFile(const QString& path, const String& Name) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        throw EResNotFound(QStringLiteral("Resource %1 not found").arg(Name));
    return file.readAll();
}
} // namespace

QByteArray FindResourceData(const String& Name) {
    return ReadFile(Locate(Name), Name);
}

bool ResourceExists(const String& Name) {
    return !Locate(Name).isEmpty();
}

bool ModuleResourceExists(const String& Module, const String& Name) {
    return QFile::exists(root + QLatin1Char('/') + Module + QLatin1Char('/') + Name.toUpper());
}

QByteArray ModuleResourceData(const String& Module, const String& Name) {
    const QString path = root + QLatin1Char('/') + Module + QLatin1Char('/') + Name.toUpper();
    return ReadFile(QFile::exists(path) ? path : QString(), Name);
}

QStringList ModuleResourceNames(const String& Module) {
    return QDir(root + QLatin1Char('/') + Module).entryList(QDir::Files, QDir::Name);
}

} // namespace vcl
