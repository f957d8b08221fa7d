#pragma once

// The component model: persistent objects, components with owners and free notification,
// string lists, event handlers bound by method name, and the class registry.

#include "SysUtils.h"
#include "Types.h"
#include "VclExport.h"

#include <QByteArray>
#include <QList>
#include <QMetaMethod>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <tuple>

namespace vcl {

using TObject = QObject;
class TComponent;

// Lets a class stream data that is not a plain property (a string list, a bitmap, the design
// position of a non-visual component). Values travel as QVariant: int, QString, QStringList or
// QByteArray.
class VCL_EXPORT TFiler {
public:
    using TReaderProc = std::function<void(const QVariant&)>;
    using TWriterProc = std::function<QVariant()>;
    explicit TFiler(TComponent* Root) : FRoot(Root) {}
    virtual ~TFiler();
    virtual void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData,
                                bool HasData) = 0;
    // The component whose description is being read or written.
    TComponent* Root() const { return FRoot; }

private:
    TComponent* FRoot;
};

// Persisted properties are the Q_PROPERTYs declared from TPersistent down, in declaration
// order. A declared default is given with VCL_DEFAULT, a conditional "stored" with VCL_STORED.
class VCL_EXPORT TPersistent : public QObject {
    Q_OBJECT
public:
    TPersistent();
    ~TPersistent() override;

    // Copies the state of Source; raises EConvertError when the classes do not fit.
    virtual void Assign(TPersistent* Source);
    virtual void DefineProperties(TFiler& Filer);
    String ClassName() const;

protected:
    // Called by Assign on the destination's behalf when it does not know the source.
    virtual void AssignTo(TPersistent* Dest);
};

#define VCL_DEFAULT(Property, Text) Q_CLASSINFO("vcl.default." #Property, Text)
#define VCL_STORED(Property, Method) Q_CLASSINFO("vcl.stored." #Property, #Method)

class VCL_EXPORT TComponent : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName STORED false)
public:
    Q_INVOKABLE explicit TComponent(vcl::TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const String& Name() const { return FName; }
    void SetName(const String& NewName);

    int ComponentCount() const { return int(FComponents.size()); }
    TComponent* Components(int Index) const;
    TComponent* FindComponent(const String& AName) const;
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();

    // AComponent is told (Notification with opRemove) when this component is destroyed,
    // and the other way round. Removing it takes back this request only: a request the other
    // component made of this one stays.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    TComponentStates ComponentState() const { return FComponentState; }
    void SetComponentState(TComponentStates State) { FComponentState = State; }

    // Design position of a non-visual component (where its icon sits on the form).
    int DesignLeft() const { return FDesignLeft; }
    int DesignTop() const { return FDesignTop; }
    void SetDesignPosition(int Left, int Top);

    // Streaming structure: which components are written inside this one, and who a component
    // read inside another one belongs to visually.
    using TGetChildProc = std::function<void(TComponent*)>;
    virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
    virtual bool HasParent() const;
    virtual TComponent* GetParentComponent() const;
    virtual void SetParentComponent(TComponent* Value);
    // Called once a description has been read into this component.
    virtual void Loaded();

    void DefineProperties(TFiler& Filer) override;

protected:
    virtual void Notification(TComponent* AComponent, TOperation Operation);

private:
    void SetReference(bool Enable);
    void NotifyRemoval();

    TComponent* FOwner = nullptr;
    String FName;
    QList<TComponent*> FComponents;
    QList<TComponent*> FFreeNotifies; // to be told when this one goes
    QList<TComponent*> FFreeNotifyOf; // whose FFreeNotifies hold this one
    TComponentStates FComponentState;
    int FDesignLeft = 0;
    int FDesignTop = 0;
};

// A handler: a method of some object, named so that form descriptions can store it, or any
// callable assigned in code.
class VCL_EXPORT TMethod {
public:
    TMethod() = default;
    TMethod(QObject* Data, const QByteArray& MethodName);

    QObject* Data() const { return FData; }
    const QByteArray& MethodName() const { return FName; }
    bool Assigned() const;
    friend bool operator==(const TMethod& a, const TMethod& b) {
        return a.FData == b.FData && a.FName == b.FName && !a.FCode && !b.FCode;
    }

protected:
    void InvokeNamed(void** Args) const;
    QPointer<QObject> FData;
    QByteArray FName;
    int FIndex = -1;
    std::shared_ptr<void> FCode; // set when assigned a callable in code
};

// Finds a method of Data named Name whose parameters are exactly Types; -1 when none.
VCL_EXPORT int FindHandler(const QObject* Data, const QByteArray& Name,
                           const QList<QMetaType>& Types);

template <class... Args> class TEvent : public TMethod {
public:
    using Fn = std::function<void(Args...)>;
    TEvent() = default;
    // Binds a method by name; raises EInvalidOperation when Data has no such handler.
    TEvent(QObject* Data, const QByteArray& MethodName) : TMethod(Data, MethodName) {
        FIndex = FindHandler(Data, MethodName, ParameterTypes());
        if (FIndex < 0)
            throw EInvalidOperation(QStringLiteral("%1 has no handler %2(%3)")
                                        .arg(Data ? Data->metaObject()->className() : "nothing",
                                             QString::fromLatin1(MethodName), Signature()));
    }
    template <class F>
    requires std::is_invocable_v<F, Args...> TEvent(F&& f) {
        FCode = std::make_shared<Fn>(std::forward<F>(f));
    }

    void operator()(Args... args) const {
        if (FCode) {
            (*static_cast<Fn*>(FCode.get()))(args...);
        } else if (FData) {
            void* argv[] = {nullptr, const_cast<void*>(static_cast<const void*>(&args))...};
            InvokeNamed(argv);
        }
    }
    static QList<QMetaType> ParameterTypes() { return {QMetaType::fromType<Args>()...}; }
    static QString Signature() {
        QStringList names{QString::fromLatin1(QMetaType::fromType<Args>().name())...};
        return names.join(QLatin1Char(','));
    }
};

using TNotifyEvent = TEvent<vcl::TObject*>;

// What streaming needs to know of an event property's type: how to read the handler's name
// out of a value, and how to bind a handler by name (checking its parameters).
struct VCL_EXPORT TEventType {
    QMetaType Type;
    std::function<TMethod(const QVariant&)> Method;
    std::function<QVariant(QObject*, const QByteArray&)> Bind;
};
VCL_EXPORT void RegisterEventType(const TEventType& Type);
VCL_EXPORT const TEventType* FindEventType(QMetaType Type);
template <class E> void RegisterEventType() {
    RegisterEventType(TEventType{
        QMetaType::fromType<E>(), [](const QVariant& v) -> TMethod { return v.value<E>(); },
        [](QObject* data, const QByteArray& name) { return QVariant::fromValue(E(data, name)); }});
}

// A list of strings, also used as NAME=value lines.
class VCL_EXPORT TStrings : public TPersistent {
    Q_OBJECT
public:
    TStrings();
    ~TStrings() override;

    int Count() const { return int(FItems.size()); }
    String Strings(int Index) const;
    void SetStrings(int Index, const String& S);
    String operator[](int Index) const { return Strings(Index); }
    int Add(const String& S);
    void Insert(int Index, const String& S);
    void Delete(int Index);
    void Clear();
    int IndexOf(const String& S) const;
    // NAME=value lines; names compare without regard to case.
    int IndexOfName(const String& Name) const;
    String Names(int Index) const;
    String GetValue(const String& Name) const;
    // Non-empty replaces the line or appends one; empty removes the line.
    void SetValue(const String& Name, const String& Value);
    String Text() const;
    void SetText(const String& Text);
    QStringList ToStringList() const { return FItems; }
    void SetStringList(const QStringList& Items);

    void Assign(TPersistent* Source) override;
    void DefineProperties(TFiler& Filer) override;

    class ValueRef {
    public:
        ValueRef(TStrings& Owner, String Name) : FOwner(Owner), FName(std::move(Name)) {}
        ValueRef& operator=(const String& Value) {
            FOwner.SetValue(FName, Value);
            return *this;
        }
        operator String() const { return FOwner.GetValue(FName); }

    private:
        TStrings& FOwner;
        String FName;
    };
    class ValuesProperty {
    public:
        explicit ValuesProperty(TStrings& Owner) : FOwner(Owner) {}
        ValueRef operator[](const String& Name) { return ValueRef(FOwner, Name); }
        String operator[](const String& Name) const { return FOwner.GetValue(Name); }

    private:
        TStrings& FOwner;
    };
    // Params->Values["SERVER NAME"] = "ALPHA1";
    ValuesProperty Values{*this};

Q_SIGNALS:
    void Changed();

private:
    QStringList FItems;
};

class VCL_EXPORT TStringList : public TStrings {
    Q_OBJECT
public:
    TStringList();
    ~TStringList() override;
};

// The class registry: form descriptions create components by class name.
using TComponentClass = const QMetaObject*;
VCL_EXPORT void RegisterClass(TComponentClass AClass);
VCL_EXPORT void UnRegisterClass(TComponentClass AClass);
VCL_EXPORT TComponentClass GetClass(const String& ClassName);  // nullptr when unknown
VCL_EXPORT TComponentClass FindClass(const String& ClassName); // raises EClassNotFound
// The class name without its C++ namespace ("TPanel" for vcl::TPanel).
VCL_EXPORT String ShortClassName(TComponentClass AClass);
// Creates a component of AClass (which needs a Q_INVOKABLE constructor taking the owner).
VCL_EXPORT TComponent* CreateComponent(TComponentClass AClass, TComponent* AOwner);
template <class T> void RegisterClass() {
    RegisterClass(&T::staticMetaObject);
}

// While one lives, every class newly registered is also noted in Log: a package being loaded
// notes all it registers, to take it back before its code goes.
class VCL_EXPORT TClassRegistrationLog {
public:
    explicit TClassRegistrationLog(QList<TComponentClass>& Log);
    ~TClassRegistrationLog();
    TClassRegistrationLog(const TClassRegistrationLog&) = delete;
    TClassRegistrationLog& operator=(const TClassRegistrationLog&) = delete;

private:
    QList<TComponentClass>* FPrevious;
};

// Persisted properties of an object's class, inherited first, objectName excluded.
VCL_EXPORT QList<QMetaProperty> PersistedProperties(const QMetaObject* Meta);
// The declared default of a property as description text, or a null string when none.
VCL_EXPORT String DeclaredDefault(const QMetaObject* Meta, const char* Property);
VCL_EXPORT bool IsStoredProperty(const QObject* Instance, const QMetaProperty& Property);

} // namespace vcl

Q_DECLARE_METATYPE(vcl::TNotifyEvent)
