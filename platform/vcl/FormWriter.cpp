#include "FormText.h"

#include <QMetaEnum>

namespace vcl {

namespace {

QString Quote(const QString& s) {
    QString out;
    bool open = false;
    const QList<uint> codes = s.toUcs4();
    for (uint c : codes) {
        if (c >= 32 && c < 127) {
            if (!open) {
                out += QLatin1Char('\'');
                open = true;
            }
            if (c == '\'')
                out += QLatin1Char('\'');
            out += QChar(char16_t(c));
        } else {
            if (open) {
                out += QLatin1Char('\'');
                open = false;
            }
            out += QLatin1Char('#') + QString::number(c);
        }
    }
    if (open)
        out += QLatin1Char('\'');
    return out.isEmpty() ? QStringLiteral("''") : out;
}

struct Defined {
    QString name;
    TFiler::TWriterProc write;
};

class DefinitionCollector : public TFiler {
public:
    using TFiler::TFiler;
    void DefineProperty(const String& Name, TReaderProc, TWriterProc WriteData,
                        bool HasData) override {
        if (HasData)
            defs.append({Name, std::move(WriteData)});
    }
    QList<Defined> defs;
};

class Writer {
public:
    explicit Writer(TComponent* root) : FRoot(root) {}

    QString Run() {
        WriteObject(FRoot, 0);
        return FOut;
    }

private:
    void Line(int indent, const QString& text) {
        FOut += QString(indent * 2, QLatin1Char(' ')) + text + QLatin1Char('\n');
    }

    void WriteObject(TComponent* c, int indent) {
        Line(indent, c->Name().isEmpty()
                         ? QStringLiteral("object %1").arg(c->ClassName())
                         : QStringLiteral("object %1: %2").arg(c->Name(), c->ClassName()));
        WriteProperties(c, QString(), indent + 1);
        c->GetChildren([&](TComponent* child) { WriteObject(child, indent + 1); }, FRoot);
        Line(indent, QStringLiteral("end"));
    }

    void WriteProperties(QObject* o, const QString& prefix, int indent) {
        const QMetaObject* meta = o->metaObject();
        for (const QMetaProperty& prop : PersistedProperties(meta)) {
            if (!IsStoredProperty(o, prop))
                continue;
            const QString name = prefix + QLatin1String(prop.name());
            const QMetaType type = prop.metaType();
            const QVariant value = prop.read(o);
            if (type.flags() & QMetaType::PointerToQObject) {
                QObject* held = value.value<QObject*>();
                const QMetaObject* cls = type.metaObject();
                if (cls && cls->inherits(&TComponent::staticMetaObject)) {
                    if (const QString ref = ReferenceText(qobject_cast<TComponent*>(held), name);
                        !ref.isEmpty())
                        Line(indent, name + QStringLiteral(" = ") + ref);
                } else if (held) {
                    WriteProperties(held, name + QLatin1Char('.'), indent);
                }
                continue;
            }
            if (const TEventType* event = FindEventType(type)) {
                const TMethod m = event->Method(value);
                if (m.Data() == FRoot && !m.MethodName().isEmpty())
                    Line(indent,
                         name + QStringLiteral(" = ") + QString::fromLatin1(m.MethodName()));
                continue;
            }
            const QString text = ValueText(prop, value);
            if (text.isNull())
                continue;
            const String declared = DeclaredDefault(meta, prop.name());
            if (!declared.isNull() && declared.compare(text, Qt::CaseInsensitive) == 0)
                continue;
            if (type.id() == QMetaType::QStringList) {
                WriteList(indent, name, value.toStringList());
                continue;
            }
            if (type.id() == QMetaType::QByteArray) {
                WriteBinary(indent, name, value.toByteArray());
                continue;
            }
            Line(indent, name + QStringLiteral(" = ") + text);
        }
        if (auto* persistent = qobject_cast<TPersistent*>(o)) {
            DefinitionCollector defs(FRoot);
            persistent->DefineProperties(defs);
            for (const Defined& d : defs.defs)
                WriteDefined(indent, prefix + d.name, d.write());
        }
    }

    // How a description names a referenced component: by its name when it belongs to this
    // description, as Owner.Name when it belongs to another named root. Empty: nothing a
    // reader could find again, so nothing is written.
    QString ReferenceText(TComponent* ref, const QString& property) const {
        if (!ref || ref->Name().isEmpty())
            return {};
        if (ref == FRoot) {
            if (FRoot->FindComponent(ref->Name()))
                throw EWriteError(QStringLiteral("%1 refers to %2, the root, whose name one of its "
                                                 "components has too: expected distinct names")
                                      .arg(property, ref->Name()));
            return ref->Name();
        }
        if (ref->Owner() == FRoot)
            return ref->Name();
        if (ref->Owner() && !ref->Owner()->Name().isEmpty())
            return ref->Owner()->Name() + QLatin1Char('.') + ref->Name();
        return {};
    }

    // Text of a simple value; a null string means "not written" (an empty string property).
    static QString ValueText(const QMetaProperty& prop, const QVariant& value) {
        const QMetaType type = prop.metaType();
        if (prop.isEnumType()) {
            const QMetaEnum e = prop.enumerator();
            const int raw =
                type.sizeOf() == sizeof(int) ? *static_cast<const int*>(value.constData()) : 0;
            if (prop.isFlagType()) {
                QStringList keys;
                for (int i = 0; i < e.keyCount(); ++i)
                    if (e.value(i) != 0 && (raw & e.value(i)) == e.value(i))
                        keys.append(QLatin1String(e.key(i)));
                return QLatin1Char('[') + keys.join(QStringLiteral(", ")) + QLatin1Char(']');
            }
            const char* key = e.valueToKey(raw);
            return key ? QString::fromLatin1(key) : QString::number(raw);
        }
        switch (type.id()) {
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
            return QString::number(value.toLongLong());
        case QMetaType::QString: {
            const QString s = value.toString();
            return s.isEmpty() ? QString() : Quote(s);
        }
        case QMetaType::QStringList:
            return value.toStringList().isEmpty() ? QString() : QStringLiteral("()");
        case QMetaType::QByteArray:
            return value.toByteArray().isEmpty() ? QString() : QStringLiteral("{}");
        default:
            throw EWriteError(QStringLiteral("property %1 has a type descriptions cannot hold (%2)")
                                  .arg(QLatin1String(prop.name()), QLatin1String(type.name())));
        }
    }

    void WriteDefined(int indent, const QString& name, const QVariant& v) {
        switch (v.typeId()) {
        case QMetaType::QStringList:
            WriteList(indent, name, v.toStringList());
            break;
        case QMetaType::QByteArray:
            WriteBinary(indent, name, v.toByteArray());
            break;
        case QMetaType::QString:
            Line(indent, name + QStringLiteral(" = ") + Quote(v.toString()));
            break;
        default:
            Line(indent, name + QStringLiteral(" = ") + QString::number(v.toLongLong()));
            break;
        }
    }

    void WriteList(int indent, const QString& name, const QStringList& items) {
        Line(indent, name + QStringLiteral(" = ("));
        for (int i = 0; i < items.size(); ++i)
            Line(indent + 1,
                 Quote(items[i]) + (i + 1 == items.size() ? QStringLiteral(")") : QString()));
        if (items.isEmpty())
            FOut.insert(FOut.size() - 1, QLatin1Char(')'));
    }

    void WriteBinary(int indent, const QString& name, const QByteArray& bytes) {
        Line(indent, name + QStringLiteral(" = {"));
        const QByteArray hex = bytes.toHex().toUpper();
        for (qsizetype at = 0; at < hex.size(); at += 64) {
            const bool last = at + 64 >= hex.size();
            Line(indent + 1,
                 QString::fromLatin1(hex.mid(at, 64)) + (last ? QStringLiteral("}") : QString()));
        }
        if (hex.isEmpty())
            FOut.insert(FOut.size() - 1, QLatin1Char('}'));
    }

    TComponent* FRoot;
    QString FOut;
};

} // namespace

String WriteComponentText(TComponent* Root) {
    if (!Root)
        throw EWriteError(QStringLiteral("Cannot write a description of nothing"));
    return Writer(Root).Run();
}

} // namespace vcl
