#pragma once

// A small component tree that holds every kind of value a description can carry.

#include <vcl/Classes.h>
#include <vcl/Graphics.h>

class TSampleItem : public vcl::TComponent {
    Q_OBJECT
    Q_PROPERTY(int Weight MEMBER FWeight)
    Q_PROPERTY(QString Label MEMBER FLabel)
public:
    Q_INVOKABLE explicit TSampleItem(vcl::TComponent* AOwner) : TComponent(AOwner) {}
    int FWeight = 0;
    QString FLabel;
};

// Refers to another component and must never keep a dangling pointer to it.
class TSampleLink : public vcl::TComponent {
    Q_OBJECT
    Q_PROPERTY(TSampleItem* Target READ Target WRITE SetTarget)
    Q_PROPERTY(bool Enabled MEMBER FEnabled)
    VCL_DEFAULT(Enabled, "True")
public:
    Q_INVOKABLE explicit TSampleLink(vcl::TComponent* AOwner) : TComponent(AOwner) {}
    TSampleItem* Target() const { return FTarget; }
    void SetTarget(TSampleItem* Value) {
        if (FTarget)
            FTarget->RemoveFreeNotification(this);
        FTarget = Value;
        if (FTarget)
            FTarget->FreeNotification(this);
    }
    bool FEnabled = true;

protected:
    void Notification(vcl::TComponent* AComponent, vcl::TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == vcl::opRemove && AComponent == FTarget)
            FTarget = nullptr;
    }

private:
    TSampleItem* FTarget = nullptr;
};

class TSampleRoot : public vcl::TComponent {
    Q_OBJECT
    Q_PROPERTY(bool Active MEMBER FActive)
    Q_PROPERTY(bool Visible MEMBER FVisible)
    Q_PROPERTY(int Count MEMBER FCount)
    Q_PROPERTY(int Tag MEMBER FTag)
    Q_PROPERTY(QString Caption MEMBER FCaption)
    Q_PROPERTY(vcl::TColor Color MEMBER FColor)
    Q_PROPERTY(vcl::TBitBtnKind Kind MEMBER FKind)
    Q_PROPERTY(vcl::TFontStyles Styles MEMBER FStyles)
    Q_PROPERTY(vcl::TFont* Font READ Font)
    Q_PROPERTY(vcl::TStrings* Lines READ Lines)
    Q_PROPERTY(QByteArray Blob MEMBER FBlob)
    Q_PROPERTY(vcl::TNotifyEvent OnFire MEMBER FOnFire)
    // Fields bound to the components of the same name.
    Q_PROPERTY(TSampleItem* Item1 MEMBER Item1 STORED false)
    Q_PROPERTY(TSampleLink* Link1 MEMBER Link1 STORED false)
    VCL_DEFAULT(Visible, "True")
    VCL_DEFAULT(Tag, "0")
    VCL_DEFAULT(Kind, "bkCustom")
public:
    Q_INVOKABLE explicit TSampleRoot(vcl::TComponent* AOwner) : TComponent(AOwner) {}
    vcl::TFont* Font() { return &FFont; }
    vcl::TStrings* Lines() { return &FLines; }

    Q_INVOKABLE void Fired(vcl::TObject* Sender) {
        ++FFiredCount;
        FFiredBy = Sender;
    }
    Q_INVOKABLE void WrongShape(int) {}

    bool FActive = false;
    bool FVisible = true;
    int FCount = 0;
    int FTag = 0;
    QString FCaption;
    vcl::TColor FColor = vcl::clBtnFace;
    vcl::TBitBtnKind FKind = vcl::bkCustom;
    vcl::TFontStyles FStyles;
    vcl::TFont FFont;
    vcl::TStringList FLines;
    QByteArray FBlob;
    vcl::TNotifyEvent FOnFire;
    TSampleItem* Item1 = nullptr;
    TSampleLink* Link1 = nullptr;
    int FFiredCount = 0;
    vcl::TObject* FFiredBy = nullptr;
};
