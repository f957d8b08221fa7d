#include "FormSyntax.h"
#include "FormText.h"
#include "Resources.h"

#include <QMetaEnum>
#include <QPointer>
#include <QSet>

namespace vcl {

using namespace formtext;

namespace {

// Enumerations whose values are integers with names: any number is a valid value.
bool TakesAnyInteger(const QMetaEnum& e) {
    static const QSet<QByteArray> names{"TColor", "TCursor", "TFontCharset"};
    return names.contains(e.enumName());
}

struct Definition {
    QString name;
    TFiler::TReaderProc read;
};

class DefinitionCollector : public TFiler {
public:
    using TFiler::TFiler;
    void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc, bool) override {
        defs.append({Name, std::move(ReadData)});
    }
    QList<Definition> defs;
};

QVariant DefinedValue(const Value& v) {
    switch (v.kind) {
    case Value::Integer:
        return QVariant(int(v.integer));
    case Value::String:
        return QVariant(v.text);
    case Value::Binary:
        return QVariant(v.bytes);
    case Value::List: {
        QStringList items;
        for (const Value& item : v.list) {
            if (item.kind != Value::String)
                return QVariant(); // a list of other things: refused below
            items.append(item.text);
        }
        return QVariant(items);
    }
    default:
        return QVariant();
    }
}

struct PendingReference {
    QPointer<QObject> target;
    QMetaProperty property;
    QString name;
    Location where;
};

class Builder {
public:
    Builder(const QString& source) : FSource(source) {}

    TComponent* Run(const Object& tree, TComponent* root, TComponent* owner) {
        try {
            if (!root) {
                TComponentClass cls = ClassFor(tree, nullptr);
                root = CreateComponent(cls, owner);
                FCreatedRoot = root;
            } else if (ShortClassName(root->metaObject())
                           .compare(tree.className, Qt::CaseInsensitive) != 0) {
                Fail(QStringLiteral("expected the class %1 for the root, found %2")
                         .arg(root->ClassName(), tree.className),
                     tree.where);
            }
            FRoot = root;
            FRoot->SetComponentState(FRoot->ComponentState() | csLoading | csReading);
            NameRoot(tree);
            ReadBody(tree, root);
            ResolveReferences();
            FRoot->SetComponentState(FRoot->ComponentState() & ~TComponentStates(csReading));
            for (const QPointer<TComponent>& c : std::as_const(FCreated))
                if (c)
                    c->Loaded();
            FRoot->Loaded();
            return root;
        } catch (const EReadError&) {
            Cleanup();
            throw;
        } catch (const Exception& e) {
            Cleanup();
            throw EReadError(Where(FLast) + e.Message());
        } catch (...) {
            Cleanup();
            throw;
        }
    }

private:
    QString Where(Location at) const {
        return QStringLiteral("%1, line %2, column %3: ")
            .arg(FSource, QString::number(at.Line), QString::number(at.Column));
    }
    [[noreturn]] void Fail(const QString& what, Location at) const {
        throw EReadError(Where(at) + what);
    }

    void Cleanup() {
        for (auto it = FCreated.crbegin(); it != FCreated.crend(); ++it)
            delete it->data();
        FCreated.clear();
        if (FCreatedRoot)
            delete FCreatedRoot.data();
        else if (FRoot)
            FRoot->SetComponentState(FRoot->ComponentState() &
                                     ~TComponentStates(csReading | csLoading));
    }

    // A second instance of a form gets a name of its own, as the class library does.
    void NameRoot(const Object& tree) {
        FLast = tree.where;
        FDescribedRootName = tree.name;
        QString name = tree.name;
        if (TComponent* owner = FRoot->Owner()) {
            for (int n = 1; owner->FindComponent(name) && owner->FindComponent(name) != FRoot; ++n)
                name = tree.name + QLatin1Char('_') + QString::number(n);
        }
        FRoot->SetName(name);
    }

    TComponentClass ClassFor(const Object& obj, TComponent* root) {
        if (TComponentClass cls = GetClass(obj.className))
            return cls;
        // The root's field of the component's name tells its class, registered or not.
        if (root) {
            const QMetaObject* meta = root->metaObject();
            const int i = meta->indexOfProperty(obj.name.toLatin1().constData());
            if (i >= 0) {
                const QMetaObject* fieldClass = meta->property(i).metaType().metaObject();
                if (fieldClass &&
                    ShortClassName(fieldClass).compare(obj.className, Qt::CaseInsensitive) == 0)
                    return fieldClass;
            }
        }
        Fail(QStringLiteral("unknown class %1: expected a registered component class")
                 .arg(obj.className),
             obj.where);
    }

    void ReadBody(const Object& obj, TComponent* instance) {
        for (const Property& p : obj.properties)
            ReadProperty(instance, p);
        for (const auto& child : obj.children)
            ReadChild(*child, instance);
    }

    void ReadChild(const Object& obj, TComponent* parent) {
        FLast = obj.where;
        TComponentClass cls = ClassFor(obj, FRoot);
        if (!cls->inherits(&TComponent::staticMetaObject))
            Fail(QStringLiteral("%1 is not a component class").arg(obj.className), obj.where);
        TComponent* c = CreateComponent(cls, FRoot);
        FCreated.append(c);
        c->SetComponentState(c->ComponentState() | csLoading | csReading);
        try {
            c->SetName(obj.name);
        } catch (const Exception& e) {
            Fail(e.Message(), obj.where);
        }
        if (parent != FRoot || c->HasParent())
            c->SetParentComponent(parent);
        ReadBody(obj, c);
        c->SetComponentState(c->ComponentState() & ~TComponentStates(csReading));
    }

    static int FindProperty(const QMetaObject* meta, const QString& name) {
        for (int i = meta->propertyCount() - 1; i >= TPersistent::staticMetaObject.propertyOffset();
             --i)
            if (QString::fromLatin1(meta->property(i).name()).compare(name, Qt::CaseInsensitive) ==
                0)
                return i;
        return -1;
    }

    void ReadProperty(QObject* instance, const Property& p) {
        FLast = p.where;
        const QStringList parts = p.path.split(QLatin1Char('.'));
        QObject* target = instance;
        for (int i = 0; i + 1 < parts.size(); ++i) {
            const int index = FindProperty(target->metaObject(), parts[i]);
            QMetaProperty nested =
                index < 0 ? QMetaProperty() : target->metaObject()->property(index);
            const QMetaObject* nestedClass =
                nested.isValid() ? nested.metaType().metaObject() : nullptr;
            if (!nestedClass || !nestedClass->inherits(&TPersistent::staticMetaObject) ||
                nestedClass->inherits(&TComponent::staticMetaObject))
                Fail(QStringLiteral("unknown property %1 of %2: expected a nested object property")
                         .arg(parts.mid(0, i + 1).join(QLatin1Char('.')),
                              ShortClassName(target->metaObject())),
                     p.where);
            target = nested.read(target).value<QObject*>();
            if (!target)
                Fail(QStringLiteral("property %1 holds no object").arg(parts[i]), p.where);
        }
        const QString& name = parts.last();
        const int index = FindProperty(target->metaObject(), name);
        if (index >= 0) {
            SetProperty(target, target->metaObject()->property(index), p);
            return;
        }
        if (auto* persistent = qobject_cast<TPersistent*>(target)) {
            DefinitionCollector defs(FRoot);
            persistent->DefineProperties(defs);
            for (const Definition& d : defs.defs) {
                if (d.name.compare(name, Qt::CaseInsensitive) != 0)
                    continue;
                const QVariant v = DefinedValue(p.value);
                if (!v.isValid())
                    Fail(QStringLiteral("%1 is not a valid value of %2")
                             .arg(KindName(p.value.kind), p.path),
                         p.value.where);
                try {
                    d.read(v);
                } catch (const Exception& e) {
                    Fail(QStringLiteral("value of %1: %2").arg(p.path, e.Message()), p.value.where);
                }
                return;
            }
        }
        Fail(QStringLiteral("unknown property %1 of %2")
                 .arg(p.path, ShortClassName(target->metaObject())),
             p.where);
    }

    [[noreturn]] void WrongKind(const Property& p, const QString& expected) const {
        Fail(QStringLiteral("expected %1 for %2, found %3")
                 .arg(expected, p.path, KindName(p.value.kind)),
             p.value.where);
    }

    void Write(QObject* target, const QMetaProperty& prop, const QVariant& v, const Property& p) {
        if (!prop.isWritable() || !prop.write(target, v))
            Fail(QStringLiteral("property %1 cannot be set").arg(p.path), p.where);
    }

    void SetProperty(QObject* target, const QMetaProperty& prop, const Property& p) {
        const Value& v = p.value;
        const QMetaType type = prop.metaType();
        if (prop.isEnumType()) {
            const QMetaEnum e = prop.enumerator();
            int raw = 0;
            if (prop.isFlagType()) {
                if (v.kind != Value::Set)
                    WrongKind(p, QStringLiteral("a set in brackets"));
                for (const QString& item : v.items)
                    raw |= EnumValue(e, item, p, v.where);
            } else if (v.kind == Value::Ident) {
                raw = EnumValue(e, v.text, p, v.where);
            } else if (v.kind == Value::Integer && TakesAnyInteger(e)) {
                raw = int(v.integer);
            } else {
                WrongKind(
                    p, QStringLiteral("one of the names of %1").arg(QLatin1String(e.enumName())));
            }
            if (type.sizeOf() != sizeof(int))
                Fail(QStringLiteral("property %1 has an unsupported type").arg(p.path), p.where);
            Write(target, prop, QVariant(type, &raw), p);
            return;
        }
        if (const TEventType* event = FindEventType(type)) {
            if (v.kind != Value::Ident || v.text.contains(QLatin1Char('.')))
                WrongKind(p, QStringLiteral("the name of a handler method"));
            QVariant bound;
            try {
                bound = event->Bind(FRoot, v.text.toLatin1());
            } catch (const Exception& e) {
                Fail(e.Message(), v.where);
            }
            Write(target, prop, bound, p);
            return;
        }
        if (type.flags() & QMetaType::PointerToQObject) {
            const QMetaObject* cls = type.metaObject();
            if (cls && cls->inherits(&TComponent::staticMetaObject)) {
                if (v.kind != Value::Ident || v.text.count(QLatin1Char('.')) > 1)
                    WrongKind(p, QStringLiteral("the name of a component, or Owner.Name"));
                FReferences.append({target, prop, v.text, v.where});
                return;
            }
            Fail(
                QStringLiteral("%1 is a nested object: expected %1.<property> = value").arg(p.path),
                p.where);
        }
        switch (type.id()) {
        case QMetaType::Bool:
            if (v.kind != Value::Ident ||
                (v.text.compare(QLatin1String("True"), Qt::CaseInsensitive) != 0 &&
                 v.text.compare(QLatin1String("False"), Qt::CaseInsensitive) != 0))
                WrongKind(p, QStringLiteral("True or False"));
            Write(target, prop,
                  QVariant(v.text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0), p);
            return;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
            if (v.kind != Value::Integer)
                WrongKind(p, QStringLiteral("an integer"));
            Write(target, prop, QVariant(qlonglong(v.integer)), p);
            return;
        case QMetaType::QString:
            if (v.kind != Value::String)
                WrongKind(p, QStringLiteral("a string in quotes"));
            Write(target, prop, QVariant(v.text), p);
            return;
        case QMetaType::QStringList: {
            const QVariant list = DefinedValue(v);
            if (v.kind != Value::List || !list.isValid())
                WrongKind(p, QStringLiteral("a list of strings in parentheses"));
            Write(target, prop, list, p);
            return;
        }
        case QMetaType::QByteArray:
            if (v.kind != Value::Binary)
                WrongKind(p, QStringLiteral("binary data in braces"));
            Write(target, prop, QVariant(v.bytes), p);
            return;
        default:
            Fail(QStringLiteral("property %1 has a type descriptions cannot hold (%2)")
                     .arg(p.path, QLatin1String(type.name())),
                 p.where);
        }
    }

    int EnumValue(const QMetaEnum& e, const QString& key, const Property& p, Location at) const {
        for (int i = 0; i < e.keyCount(); ++i)
            if (QString::fromLatin1(e.key(i)).compare(key, Qt::CaseInsensitive) == 0)
                return e.value(i);
        QStringList keys;
        for (int i = 0; i < e.keyCount() && i < 12; ++i)
            keys.append(QLatin1String(e.key(i)));
        Fail(QStringLiteral("unknown value %1 for %2: expected one of %3")
                 .arg(key, p.path, keys.join(QStringLiteral(", "))),
             at);
    }

    // The root's name, or the one the description gives it, should it have been renamed.
    bool NamesTheRoot(const QString& name) const {
        const auto same = [&](const QString& rootName) {
            return !rootName.isEmpty() && name.compare(rootName, Qt::CaseInsensitive) == 0;
        };
        return same(FRoot->Name()) || same(FDescribedRootName);
    }

    // A component of this description by its name, the root, or Owner.Name: a component of
    // another root that shares this root's owner.
    TComponent* FindReferenced(const QString& name) const {
        if (const qsizetype dot = name.indexOf(QLatin1Char('.')); dot >= 0) {
            const QString ownerName = name.left(dot);
            TComponent* owner = nullptr;
            if (NamesTheRoot(ownerName))
                owner = FRoot;
            else if (TComponent* common = FRoot->Owner())
                owner = common->FindComponent(ownerName);
            return owner ? owner->FindComponent(name.mid(dot + 1)) : nullptr;
        }
        if (TComponent* own = FRoot->FindComponent(name))
            return own;
        if (NamesTheRoot(name))
            return FRoot;
        return nullptr;
    }

    void ResolveReferences() {
        for (const PendingReference& r : std::as_const(FReferences)) {
            if (!r.target)
                continue;
            TComponent* found = FindReferenced(r.name);
            if (!found)
                Fail(QStringLiteral("no component named %1 for %2: expected the name of a "
                                    "component in this description")
                         .arg(r.name, QLatin1String(r.property.name())),
                     r.where);
            const QMetaObject* cls = r.property.metaType().metaObject();
            if (!found->metaObject()->inherits(cls))
                Fail(QStringLiteral("%1 is a %2: expected a %3 for %4")
                         .arg(r.name, found->ClassName(), ShortClassName(cls),
                              QLatin1String(r.property.name())),
                     r.where);
            QObject* value = found;
            if (!r.property.write(r.target, QVariant(r.property.metaType(), &value)))
                Fail(QStringLiteral("property %1 cannot be set")
                         .arg(QLatin1String(r.property.name())),
                     r.where);
        }
    }

    QString FSource;
    QPointer<TComponent> FRoot;
    QString FDescribedRootName;
    QPointer<TComponent> FCreatedRoot;
    QList<QPointer<TComponent>> FCreated;
    QList<PendingReference> FReferences;
    Location FLast;
};

} // namespace

TComponent* ReadComponentText(const String& Text, const String& SourceName, TComponent* Root,
                              TComponent* Owner) {
    const auto tree = Parse(Text, SourceName);
    return Builder(SourceName).Run(*tree, Root, Owner);
}

void InitInheritedComponent(TComponent* Instance) {
    const String name = Instance->ClassName().toUpper();
    const QByteArray bytes = FindResourceData(name);
    ReadComponentText(QString::fromUtf8(bytes), name, Instance);
}

} // namespace vcl
