#pragma once

// The parsed shape of a form description: objects holding properties and other objects.

#include "SysUtils.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <memory>

namespace vcl::formtext {

struct Location {
    int Line = 0;
    int Column = 0;
};

struct Value {
    enum Kind { Integer, String, Ident, Set, List, Binary } kind = Integer;
    qint64 integer = 0;
    QString text;      // String and Ident
    QStringList items; // Set: identifiers
    QList<Value> list; // List
    QByteArray bytes;  // Binary
    Location where;
};

struct Property {
    QString path; // "Font.Height"
    Value value;
    Location where;
};

struct Object {
    QString name;
    QString className;
    Location where;
    QList<Property> properties;
    QList<std::shared_ptr<Object>> children;
};

// Parses one object; raises EReadError with SourceName, line and column.
std::shared_ptr<Object> Parse(const QString& Text, const QString& SourceName);

QString KindName(Value::Kind Kind);

} // namespace vcl::formtext
