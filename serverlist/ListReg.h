#pragma once

// TListServerDialog lets the user pick a server or domain from the network's tree.

#include <vcl/Classes.h>
#include <vcl/Graphics.h>

class TListServerDialog : public vcl::TComponent {
    Q_OBJECT
    Q_PROPERTY(bool SQLServerOnly MEMBER FSQLServerOnly)
    Q_PROPERTY(QString Caption MEMBER FCaption)
    Q_PROPERTY(vcl::TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(QString ServerName MEMBER FServerName)
    Q_PROPERTY(QString Domain MEMBER FDomain)
public:
    // The font starts as a copy of an owner form's font, else the class library's default.
    Q_INVOKABLE explicit TListServerDialog(vcl::TComponent* AOwner);
    ~TListServerDialog() override;

    // Shows the server list; true when it was closed with OK. ServerName and Domain then hold
    // the last selection, whatever the result.
    bool Execute();

    vcl::TFont* Font() const { return FFont; }
    // Copies Value; the dialog never keeps the given font.
    void SetFont(vcl::TFont* Value);
    const vcl::String& Caption() const { return FCaption; }
    void SetCaption(const vcl::String& Value) { FCaption = Value; }
    const vcl::String& ServerName() const { return FServerName; }
    void SetServerName(const vcl::String& Value) { FServerName = Value; }
    const vcl::String& Domain() const { return FDomain; }
    void SetDomain(const vcl::String& Value) { FDomain = Value; }
    bool SQLServerOnly() const { return FSQLServerOnly; }
    void SetSQLServerOnly(bool Value) { FSQLServerOnly = Value; }

private:
    vcl::String FCaption;
    vcl::TFont* FFont;
    vcl::String FServerName;
    vcl::String FDomain;
    bool FSQLServerOnly = false;
};

namespace ListReg {
// Puts TListServerDialog on the "System" page of the palette.
void Register();
} // namespace ListReg
