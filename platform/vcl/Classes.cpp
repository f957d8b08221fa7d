#include "Classes.h"

#include <QHash>
#include <QMetaClassInfo>
#include <QRegularExpression>

#include <algorithm>

namespace vcl {

TFiler::~TFiler() = default;

// ---- TPersistent

TPersistent::TPersistent() = default;
TPersistent::~TPersistent() = default;

void TPersistent::Assign(TPersistent* Source) {
    if (!Source)
        throw EConvertError(QStringLiteral("Cannot assign nothing to a %1").arg(ClassName()));
    Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    const QString source = ClassName();
    const QString dest = Dest ? Dest->ClassName() : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(source, dest));
}

void TPersistent::DefineProperties(TFiler&) {}

String TPersistent::ClassName() const {
    return ShortClassName(metaObject());
}

// ---- TComponent

namespace {
bool IsValidIdent(const QString& s) {
    static const QRegularExpression ident(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return ident.match(s).hasMatch();
}
} // namespace

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    FComponentState |= csDestroying;
    NotifyRemoval();
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

// Both sides of each request are told, once each, after every list has let go of this one.
void TComponent::NotifyRemoval() {
    while (!FFreeNotifies.isEmpty() || !FFreeNotifyOf.isEmpty()) {
        TComponent* other =
            FFreeNotifies.isEmpty() ? FFreeNotifyOf.takeLast() : FFreeNotifies.takeLast();
        FFreeNotifies.removeAll(other);
        FFreeNotifyOf.removeAll(other);
        other->FFreeNotifies.removeAll(this);
        other->FFreeNotifyOf.removeAll(this);
        other->Notification(this, opRemove);
    }
}

void TComponent::SetName(const String& NewName) {
    if (NewName == FName)
        return;
    if (!NewName.isEmpty() && !IsValidIdent(NewName))
        throw EComponentError(
            QStringLiteral("'%1' is not a valid component name: expected a letter or underscore "
                           "followed by letters, digits or underscores")
                .arg(NewName));
    if (FOwner && !NewName.isEmpty()) {
        TComponent* same = FOwner->FindComponent(NewName);
        if (same && same != this)
            throw EComponentError(
                QStringLiteral("A component named %1 already exists").arg(NewName));
    }
    SetReference(false);
    FName = NewName;
    setObjectName(NewName);
    SetReference(true);
}

// The owner may keep a field of the component's name (a form's control fields): keep it in
// step with the component so it never dangles.
void TComponent::SetReference(bool Enable) {
    if (!FOwner || FName.isEmpty())
        return;
    const QByteArray name = FName.toLatin1();
    const QMetaObject* meta = FOwner->metaObject();
    const int index = meta->indexOfProperty(name.constData());
    if (index < 0)
        return;
    QMetaProperty field = meta->property(index);
    const QMetaObject* fieldClass = field.metaType().metaObject();
    if (!(field.metaType().flags() & QMetaType::PointerToQObject) || !fieldClass ||
        !field.isWritable())
        return;
    if (Enable && !fieldClass->cast(this))
        return;
    if (!Enable) {
        QObject* current = field.read(FOwner).value<QObject*>();
        if (current != this)
            return;
    }
    QObject* value = Enable ? static_cast<QObject*>(this) : nullptr;
    field.write(FOwner, QVariant(field.metaType(), &value));
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= FComponents.size())
        throw EComponentError(QStringLiteral("Component index %1 out of bounds (0..%2)")
                                  .arg(Index)
                                  .arg(FComponents.size() - 1));
    return FComponents[Index];
}

TComponent* TComponent::FindComponent(const String& AName) const {
    if (AName.isEmpty())
        return nullptr;
    for (TComponent* c : FComponents)
        if (c->FName.compare(AName, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner == this)
        return;
    // Refused before anything changes: the component stays with its old owner.
    if (!AComponent->FName.isEmpty() && FindComponent(AComponent->FName))
        throw EComponentError(
            QStringLiteral("A component named %1 already exists").arg(AComponent->FName));
    if (AComponent->FOwner)
        AComponent->FOwner->RemoveComponent(AComponent);
    FComponents.append(AComponent);
    AComponent->FOwner = this;
    AComponent->SetReference(true);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner != this)
        return;
    Notification(AComponent, opRemove);
    AComponent->SetReference(false);
    FComponents.removeAll(AComponent);
    AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
    while (!FComponents.isEmpty()) {
        TComponent* last = FComponents.last();
        RemoveComponent(last);
        delete last;
    }
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this || FFreeNotifies.contains(AComponent))
        return;
    FFreeNotifies.append(AComponent);
    AComponent->FFreeNotifyOf.append(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent)
        return;
    FFreeNotifies.removeAll(AComponent);
    AComponent->FFreeNotifyOf.removeAll(this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent)
        RemoveFreeNotification(AComponent);
    // A copy: a component told may free another one of ours.
    const QList<TComponent*> components = FComponents;
    for (TComponent* c : components)
        if (FComponents.contains(c))
            c->Notification(AComponent, Operation);
}

void TComponent::SetDesignPosition(int Left, int Top) {
    FDesignLeft = Left;
    FDesignTop = Top;
}

void TComponent::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    if (Root != this)
        return;
    for (TComponent* c : std::as_const(FComponents))
        if (!c->HasParent())
            Proc(c);
}

bool TComponent::HasParent() const {
    return false;
}
TComponent* TComponent::GetParentComponent() const {
    return nullptr;
}
void TComponent::SetParentComponent(TComponent*) {}
void TComponent::Loaded() {
    FComponentState &= ~TComponentStates(csLoading);
}

void TComponent::DefineProperties(TFiler& Filer) {
    // A non-visual component held by another one stores where its icon sits.
    const bool stored = Filer.Root() != this && !HasParent();
    const auto integer = [](const QVariant& v) {
        if (v.typeId() != QMetaType::Int)
            throw EReadError(QStringLiteral("expected an integer"));
        return v.toInt();
    };
    Filer.DefineProperty(
        QStringLiteral("Left"), [this, integer](const QVariant& v) { FDesignLeft = integer(v); },
        [this] { return QVariant(FDesignLeft); }, stored);
    Filer.DefineProperty(
        QStringLiteral("Top"), [this, integer](const QVariant& v) { FDesignTop = integer(v); },
        [this] { return QVariant(FDesignTop); }, stored);
}

// ---- TMethod and events

TMethod::TMethod(QObject* Data, const QByteArray& MethodName) : FData(Data), FName(MethodName) {}

bool TMethod::Assigned() const {
    return FCode || (FData && FIndex >= 0);
}

void TMethod::InvokeNamed(void** Args) const {
    if (FData && FIndex >= 0)
        FData->qt_metacall(QMetaObject::InvokeMetaMethod, FIndex, Args);
}

int FindHandler(const QObject* Data, const QByteArray& Name, const QList<QMetaType>& Types) {
    if (!Data)
        return -1;
    const QMetaObject* meta = Data->metaObject();
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod m = meta->method(i);
        if (m.name().compare(Name, Qt::CaseInsensitive) != 0 || m.parameterCount() != Types.size())
            continue;
        bool same = true;
        for (int p = 0; p < Types.size() && same; ++p)
            same = m.parameterMetaType(p) == Types[p];
        if (same)
            return i;
    }
    return -1;
}

namespace {
QHash<int, TEventType>& EventTypes() {
    static QHash<int, TEventType> types;
    return types;
}
struct BuiltInEvents {
    BuiltInEvents() { RegisterEventType<TNotifyEvent>(); }
} builtInEvents;
} // namespace

void RegisterEventType(const TEventType& Type) {
    EventTypes().insert(Type.Type.id(), Type);
}

const TEventType* FindEventType(QMetaType Type) {
    auto it = EventTypes().constFind(Type.id());
    return it == EventTypes().constEnd() ? nullptr : &it.value();
}

// ---- TStrings

TStrings::TStrings() = default;
TStrings::~TStrings() = default;

String TStrings::Strings(int Index) const {
    if (Index < 0 || Index >= FItems.size())
        throw EInvalidOperation(
            QStringLiteral("List index %1 out of bounds (0..%2)").arg(Index).arg(Count() - 1));
    return FItems[Index];
}

void TStrings::SetStrings(int Index, const String& S) {
    Strings(Index);
    FItems[Index] = S;
    Q_EMIT Changed();
}

int TStrings::Add(const String& S) {
    FItems.append(S);
    Q_EMIT Changed();
    return Count() - 1;
}

void TStrings::Insert(int Index, const String& S) {
    if (Index < 0 || Index > FItems.size())
        throw EInvalidOperation(
            QStringLiteral("List index %1 out of bounds (0..%2)").arg(Index).arg(Count()));
    FItems.insert(Index, S);
    Q_EMIT Changed();
}

void TStrings::Delete(int Index) {
    Strings(Index);
    FItems.removeAt(Index);
    Q_EMIT Changed();
}

void TStrings::Clear() {
    if (FItems.isEmpty())
        return;
    FItems.clear();
    Q_EMIT Changed();
}

int TStrings::IndexOf(const String& S) const {
    for (int i = 0; i < FItems.size(); ++i)
        if (FItems[i].compare(S, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// Only NAME=value lines have a name: a line without "=" never matches, not even "".
int TStrings::IndexOfName(const String& Name) const {
    for (int i = 0; i < FItems.size(); ++i) {
        const int eq = FItems[i].indexOf(QLatin1Char('='));
        if (eq >= 0 && QStringView(FItems[i]).left(eq).compare(Name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

String TStrings::Names(int Index) const {
    const String line = Strings(Index);
    const int eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? String() : line.left(eq);
}

String TStrings::GetValue(const String& Name) const {
    const int i = IndexOfName(Name);
    return i < 0 ? String() : FItems[i].mid(Name.size() + 1);
}

void TStrings::SetValue(const String& Name, const String& Value) {
    const int i = IndexOfName(Name);
    if (Value.isEmpty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    const String line = Name + QLatin1Char('=') + Value;
    if (i < 0)
        Add(line);
    else
        SetStrings(i, line);
}

String TStrings::Text() const {
    String text;
    for (const String& s : FItems)
        text += s + QLatin1Char('\n');
    return text;
}

void TStrings::SetText(const String& Text) {
    QStringList lines = Text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (String& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    SetStringList(lines);
}

void TStrings::SetStringList(const QStringList& Items) {
    FItems = Items;
    Q_EMIT Changed();
}

void TStrings::Assign(TPersistent* Source) {
    if (auto* other = qobject_cast<TStrings*>(Source)) {
        SetStringList(other->FItems);
        return;
    }
    TPersistent::Assign(Source);
}

void TStrings::DefineProperties(TFiler& Filer) {
    Filer.DefineProperty(
        QStringLiteral("Strings"),
        [this](const QVariant& v) {
            if (v.typeId() != QMetaType::QStringList)
                throw EReadError(QStringLiteral("expected a list of strings"));
            SetStringList(v.toStringList());
        },
        [this] { return QVariant(FItems); }, !FItems.isEmpty());
}

TStringList::TStringList() = default;
TStringList::~TStringList() = default;

// ---- class registry

namespace {
QHash<QString, TComponentClass>& Classes() {
    static QHash<QString, TComponentClass> classes;
    return classes;
}
QList<TComponentClass>* RegistrationLog = nullptr;
} // namespace

TClassRegistrationLog::TClassRegistrationLog(QList<TComponentClass>& Log)
    : FPrevious(RegistrationLog) {
    RegistrationLog = &Log;
}

TClassRegistrationLog::~TClassRegistrationLog() {
    RegistrationLog = FPrevious;
}

String ShortClassName(TComponentClass AClass) {
    if (!AClass)
        return {};
    QString name = QString::fromLatin1(AClass->className());
    const int colon = name.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? name : name.mid(colon + 1);
}

void RegisterClass(TComponentClass AClass) {
    if (!AClass || !AClass->inherits(&TPersistent::staticMetaObject))
        throw EInvalidOperation(QStringLiteral("Only persistent classes can be registered"));
    const QString key = ShortClassName(AClass).toUpper();
    TComponentClass existing = Classes().value(key);
    if (existing && existing != AClass)
        throw EInvalidOperation(
            QStringLiteral("A class named %1 is already registered").arg(ShortClassName(AClass)));
    Classes().insert(key, AClass);
    if (!existing && RegistrationLog)
        RegistrationLog->append(AClass);
}

void UnRegisterClass(TComponentClass AClass) {
    const QString key = ShortClassName(AClass).toUpper();
    if (Classes().value(key) == AClass)
        Classes().remove(key);
}

TComponentClass GetClass(const String& ClassName) {
    return Classes().value(ClassName.toUpper());
}

TComponentClass FindClass(const String& ClassName) {
    TComponentClass c = GetClass(ClassName);
    if (!c)
        throw EClassNotFound(QStringLiteral("Class %1 not found").arg(ClassName));
    return c;
}

TComponent* CreateComponent(TComponentClass AClass, TComponent* AOwner) {
    if (!AClass || !AClass->inherits(&TComponent::staticMetaObject))
        throw EInvalidOperation(QStringLiteral("%1 is not a component class")
                                    .arg(AClass ? ShortClassName(AClass) : QStringLiteral("nil")));
    for (int i = 0; i < AClass->constructorCount(); ++i) {
        const QMetaMethod ctor = AClass->constructor(i);
        if (ctor.parameterCount() != 1 ||
            ctor.parameterMetaType(0) != QMetaType::fromType<TComponent*>())
            continue;
        QObject* created = nullptr;
        TComponent* owner = AOwner;
        void* argv[] = {&created, &owner};
        AClass->static_metacall(QMetaObject::CreateInstance, i, argv);
        return static_cast<TComponent*>(created);
    }
    throw EInvalidOperation(
        QStringLiteral("%1 has no constructor taking an owner (Q_INVOKABLE, TComponent*)")
            .arg(ShortClassName(AClass)));
}

// ---- property helpers

QList<QMetaProperty> PersistedProperties(const QMetaObject* Meta) {
    QList<QMetaProperty> result;
    for (int i = TPersistent::staticMetaObject.propertyOffset(); i < Meta->propertyCount(); ++i)
        result.append(Meta->property(i));
    return result;
}

String DeclaredDefault(const QMetaObject* Meta, const char* Property) {
    const QByteArray key = QByteArray("vcl.default.") + Property;
    const int i = Meta->indexOfClassInfo(key.constData());
    return i < 0 ? String() : QString::fromUtf8(Meta->classInfo(i).value());
}

bool IsStoredProperty(const QObject* Instance, const QMetaProperty& Property) {
    if (!Property.isStored())
        return false;
    const QMetaObject* meta = Instance->metaObject();
    const QByteArray key = QByteArray("vcl.stored.") + Property.name();
    const int i = meta->indexOfClassInfo(key.constData());
    if (i < 0)
        return true;
    bool stored = true;
    const QByteArray method = meta->classInfo(i).value();
    QMetaObject::invokeMethod(const_cast<QObject*>(Instance), method.constData(),
                              Qt::DirectConnection, Q_RETURN_ARG(bool, stored));
    return stored;
}

} // namespace vcl
