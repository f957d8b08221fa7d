// Stands in for the development environment: loads a package, shows what it declares and what
// it puts on the palette, and writes the description of a new component on a fresh form.

#include <vcl/FormText.h>
#include <vcl/Forms.h>
#include <vcl/Graphics.h>
#include <vcl/Packages.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QPainter>

#include <cstdio>

using namespace vcl;

namespace {

// What this host provides to the packages it loads.
const QStringList ProvidedPackages{"vcl30", "vcldb30", "vclx30", "VclSmp30", "RxCtl"};

void Print(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
}

void PrintDeclaration(const TPackage& Package) {
    const TPackageDeclaration& d = Package.Declaration();
    Print(QStringLiteral("Package:  %1 (%2)").arg(d.Name, Package.FileName()));
    Print(QStringLiteral("Flags:    0x%1 (%2)")
              .arg(d.Flags, 8, 16, QLatin1Char('0'))
              .arg(d.FlagsText()));
    Print(QStringLiteral("Contains: %1").arg(d.Contains.join(QStringLiteral(", "))));
    Print(QStringLiteral("Requires: %1").arg(d.Requires.join(QStringLiteral(", "))));
    Print(QStringLiteral("Description: %1").arg(Package.Description()));
}

void PrintPalette(const TPackage& Package) {
    Print(QStringLiteral("Palette:"));
    for (const String& page : PalettePages()) {
        Print(QStringLiteral("  %1").arg(page));
        for (TComponentClass cls : PaletteClasses(page)) {
            const String name = ShortClassName(cls);
            TBitmap image;
            QString picture = QStringLiteral("no image");
            if (Package.ResourceNames().contains(name.toUpper())) {
                image.SetData(Package.Resource(name));
                picture = QStringLiteral("image %1 x %2, %3 colours")
                              .arg(image.Width())
                              .arg(image.Height())
                              .arg(image.PaletteColors());
            }
            Print(QStringLiteral("    %1 (%2)").arg(name, picture));
        }
    }
}

// The page as the environment shows it: a tab with the page name over a row of buttons, each
// with its component's image.
bool DrawPalette(const TPackage& Package, const String& Page, const QString& FileName) {
    const QList<TComponentClass> classes = PaletteClasses(Page);
    const int button = 28, step = 84, scale = 3;
    const int width = 40 + qMax(1, int(classes.size())) * step;
    QImage image(width * scale, 64 * scale, QImage::Format_RGB32);
    image.fill(QColor(192, 192, 192));
    QPainter p(&image);
    p.scale(scale, scale);
    QFont font = p.font();
    font.setPixelSize(9);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(12, 2, 80, 16), Qt::AlignLeft | Qt::AlignVCenter, Page);
    p.setPen(Qt::white);
    p.drawLine(8, 2, 8, 18);
    p.drawLine(8, 2, 80, 2);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(80, 2, 80, 18);
    int x = 16;
    for (TComponentClass cls : classes) {
        const QRect r(x + (step - button) / 2, 24, button, button);
        p.setPen(Qt::white);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(QColor(64, 64, 64));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        const String name = ShortClassName(cls).toUpper();
        QImage bitmap;
        if (Package.ResourceNames().contains(name))
            bitmap.loadFromData(Package.Resource(name), "BMP");
        if (!bitmap.isNull())
            p.drawImage(r.topLeft() + QPoint(2, 2), bitmap);
        p.setPen(Qt::black);
        p.drawText(QRect(r.center().x() - step / 2, 53, step, 11), Qt::AlignHCenter | Qt::AlignTop,
                   ShortClassName(cls));
        x += step;
    }
    p.end();
    return image.save(FileName, "PNG");
}

// A fresh form holding one new component, named as the environment names it.
String NewComponentDescription(const String& ClassName) {
    TComponentClass cls = FindClass(ClassName);
    TForm form(Application);
    form.SetName(QStringLiteral("Form1"));
    form.SetCaption(QStringLiteral("Form1"));
    form.SetPixelsPerInch(96);
    form.SetTextHeight(13);
    TComponent* c = CreateComponent(cls, &form);
    c->SetName(ShortClassName(cls).mid(1) + QStringLiteral("1"));
    c->SetDesignPosition(16, 16);
    return WriteComponentText(&form);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral(
        "Loads a component package, prints its declaration and palette, and writes the "
        "description of a new component on a fresh form."));
    args.addHelpOption();
    args.addPositionalArgument(QStringLiteral("package"), QStringLiteral("the package library"));
    QCommandLineOption palette(QStringLiteral("palette"),
                               QStringLiteral("draw the System page into FILE.png"),
                               QStringLiteral("FILE.png"));
    QCommandLineOption create(QStringLiteral("new"),
                              QStringLiteral("create a component of CLASS on a fresh form and "
                                             "print the form's description"),
                              QStringLiteral("CLASS"));
    args.addOption(palette);
    args.addOption(create);
    args.process(app);
    if (args.positionalArguments().size() != 1)
        args.showHelp(2);

    try {
        auto package = LoadPackage(args.positionalArguments().first(), ProvidedPackages);
        package->Register();
        if (args.isSet(create)) {
            std::fputs(qPrintable(NewComponentDescription(args.value(create))), stdout);
            return 0;
        }
        PrintDeclaration(*package);
        PrintPalette(*package);
        if (args.isSet(palette)) {
            if (!DrawPalette(*package, QStringLiteral("System"), args.value(palette))) {
                std::fprintf(stderr, "host: cannot write %s\n", qPrintable(args.value(palette)));
                return 1;
            }
            Print(QStringLiteral("Palette picture: %1").arg(args.value(palette)));
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "host: %s\n", e.what());
        return 1;
    }
    return 0;
}
