// The typical run of the components, for a person: a database connection and a TSQLConnect
// on a small form; SetDBParams fills the connection's login parameters from the stored
// settings or from the login form (whose server field browses the network); then the
// connection is opened. Without a display the run plays itself on the offscreen platform,
// prints each step and writes a picture of each dialog.

#include <connection/SQLConnect.h>
#include <connection/connect.h>
#include <serverlist/ListSerFm.h>
#include <vcl/Forms.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

using namespace vcl;

namespace {

void Say(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

const char* SampleNetwork = "# the demo's own small network\n"
                            "domain CORVANE comment=\"Demo domain\"\n"
                            "    server \\\\LOCALHOST comment=\"This machine\"\n"
                            "    server \\\\SQLPROD comment=\"Production\"\n"
                            "    server \\\\SQLTEST comment=\"Tests\"\n"
                            "domain WORKGROUP\n"
                            "    server \\\\FILES\n"
                            "    server \\\\PRINTERS\n";

struct Options {
    QString Key = QStringLiteral("Software\\Corvane\\Demo");
    bool CheckOnExec = true;
    QString Driver = QStringLiteral("MSSQL");
    QString Database;
    QString Pick = QStringLiteral("LOCALHOST");
    QString User = QStringLiteral("demo");
    QString Password = QStringLiteral("demo-secret");
    QString Pictures = QStringLiteral("demo-pictures");
    bool Headless = false;
};

// Runs Steps once Form() is shown and active; a form still open after a minute is cancelled,
// so the played run always ends.
class WhenShown {
public:
    WhenShown(std::function<TForm*()> Form, std::function<void(TForm*)> Steps)
        : FForm(std::move(Form)), FSteps(std::move(Steps)) {
        FDeadline.setSingleShot(true);
        QObject::connect(&FDeadline, &QTimer::timeout, [this] {
            if (TForm* form = FForm(); form && form->Widget()->isVisible()) {
                Say(QStringLiteral("        the demo gives up: \"%1\" was left open")
                        .arg(form->Caption()));
                form->SetModalResult(mrCancel);
            }
        });
        FDeadline.start(60000);
        QObject::connect(&FPoll, &QTimer::timeout, [this] {
            TForm* form = FForm();
            if (FDone || !form || QApplication::activeModalWidget() != form->Widget() ||
                !QTest::qWaitForWindowActive(form->Widget(), 1000))
                return;
            FDone = true;
            FPoll.stop();
            FSteps(form);
        });
        FPoll.start(10);
    }
    bool Done() const { return FDone; }

private:
    std::function<TForm*()> FForm;
    std::function<void(TForm*)> FSteps;
    QTimer FPoll;
    QTimer FDeadline;
    bool FDone = false;
};

class Player {
public:
    explicit Player(const Options& O) : FOptions(O) { QDir().mkpath(O.Pictures); }

    // The form as its window shows it: the offscreen platform draws no frame, so the picture
    // gets a title bar with the form's caption.
    void Picture(TForm* Form, const QString& Name) {
        const QString file = QDir(FOptions.Pictures).filePath(Name);
        const QPixmap body = Form->Widget()->grab();
        const int title = 22;
        QImage picture(body.width() + 4, body.height() + title + 4, QImage::Format_RGB32);
        picture.fill(QColor(192, 192, 192));
        QPainter p(&picture);
        p.fillRect(QRect(2, 2, body.width(), title - 2), QColor(0, 0, 128));
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(12);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(8, 2, body.width() - 30, title - 2), Qt::AlignVCenter | Qt::AlignLeft,
                   Form->Caption());
        const QRect close(body.width() - 18, 5, 16, 14);
        p.fillRect(close, QColor(192, 192, 192));
        p.setPen(Qt::black);
        p.drawLine(close.topLeft() + QPoint(4, 3), close.bottomRight() - QPoint(4, 3));
        p.drawLine(close.topRight() + QPoint(-4, 3), close.bottomLeft() + QPoint(4, -3));
        p.drawPixmap(2, title + 2, body);
        p.end();
        picture.save(file);
        Say(QStringLiteral("        picture: %1").arg(file));
    }

    static void Type(TControl* Control, const QString& Text) {
        QWindow* window = Control->Widget()->window()->windowHandle();
        for (QChar c : Text)
            QTest::keyClick(window, c.toLatin1());
    }
    static void Key(TControl* Control, Qt::Key K) {
        QTest::keyClick(Control->Widget()->window()->windowHandle(), K);
    }

    // Steps 2 to 7 of the run, played in the login form.
    void PlayLoginForm(TForm*) {
        TConnectForm* f = ConnectForm;
        Say(QStringLiteral(
                "  2. %1: the login form \"%2\" is shown, the focus in its server field.")
                .arg(FOptions.CheckOnExec ? QStringLiteral("No stored settings to use")
                                          : QStringLiteral("CheckOnExec is False"),
                     f->Caption()));
        Picture(f, QStringLiteral("1-login.png"));

        WhenShown list([] { return ListServerForm; },
                       [this](TForm* form) { PlayServerList(form); });
        Say(QStringLiteral("  3. The user presses the button of the server field."));
        QPushButton* button = f->ServerName->Button();
        QTest::mouseClick(button->window()->windowHandle(), Qt::LeftButton, {},
                          button->mapTo(button->window(), button->rect().center()));
        if (!list.Done() || f->ServerName->Text().isEmpty() || f->ActiveControl() != f->UserName) {
            Say(QStringLiteral("        no server was chosen: the user cancels the login"));
            f->SetModalResult(mrCancel);
            return;
        }
        Say(QStringLiteral("  6. The list closes; the server field reads \"%1\", the focus is in "
                           "the user-name field.")
                .arg(f->ServerName->Text()));
        Picture(f, QStringLiteral("3-login-with-server.png"));

        Say(QStringLiteral("  7. The user types a user name (%1) and a password (%2 characters) "
                           "and presses OK.")
                .arg(FOptions.User)
                .arg(FOptions.Password.size()));
        Type(f->UserName, FOptions.User);
        Key(f->UserName, Qt::Key_Tab);
        if (f->ActiveControl() != f->Password) {
            Say(QStringLiteral(
                "        the focus did not reach the password field: the user cancels"));
            f->SetModalResult(mrCancel);
            return;
        }
        Type(f->Password, FOptions.Password);
        Picture(f, QStringLiteral("4-login-filled.png"));
        Key(f->Password, Qt::Key_Return);
    }

    void PlayServerList(TForm*) {
        TListServerForm* f = ListServerForm;
        Say(QStringLiteral("  4. The list \"%1\" walked the network: %2 nodes, fully expanded.")
                .arg(f->Caption())
                .arg(f->Tree->Items->Count()));
        TTreeNode* pick = nullptr;
        for (TTreeNode* n = f->Tree->Items->GetFirstNode(); n && !pick; n = n->GetNext())
            if (!n->HasChildren() && n->Parent() &&
                (FOptions.Pick.isEmpty() ||
                 n->Text().compare(FOptions.Pick, Qt::CaseInsensitive) == 0))
                pick = n;
        for (TTreeNode* n = f->Tree->Items->GetFirstNode(); n && !pick; n = n->GetNext())
            if (!n->HasChildren())
                pick = n;
        Picture(f, QStringLiteral("2-server-list.png"));
        if (!pick) {
            Say(QStringLiteral("        no server on the network: the user cancels"));
            Key(f->Tree, Qt::Key_Escape);
            return;
        }
        Say(QStringLiteral("  5. The user double-clicks %1.").arg(pick->Text()));
        pick->MakeVisible();
        auto* view = qobject_cast<QAbstractItemView*>(f->Tree->Widget());
        QWidget* viewport = view ? view->viewport() : f->Tree->Widget();
        const QPoint at = viewport->mapTo(viewport->window(), f->Tree->NodeRect(pick).center());
        QWindow* window = viewport->window()->windowHandle();
        QTest::mouseClick(window, Qt::LeftButton, {}, at);
        QTest::mouseDClick(window, Qt::LeftButton, {}, at);
    }

private:
    const Options& FOptions;
};

QString Masked(TStrings* Params) {
    QStringList lines;
    for (int i = 0; i < Params->Count(); ++i) {
        const QString name = Params->Names(i);
        lines << (name.compare(QLatin1String("PASSWORD"), Qt::CaseInsensitive) == 0
                      ? name + QStringLiteral("=") +
                            QString(Params->GetValue(name).size(), QLatin1Char('*'))
                      : Params->Strings(i));
    }
    return lines.isEmpty() ? QStringLiteral("(none)") : lines.join(QStringLiteral("; "));
}

// One call of SetDBParams and the opening of the connection; true when it opened.
bool RunOnce(TSQLConnect* Connect, TDatabase* Database, const Options& O, bool Play, int Run) {
    Say(QStringLiteral("Run %1: SetDBParams, CheckOnExec %2, key HKEY_CURRENT_USER\\%3")
            .arg(Run)
            .arg(Connect->CheckOnExec() ? QStringLiteral("True") : QStringLiteral("False"), O.Key));
    Player player(O);
    bool formShown = false;
    std::unique_ptr<WhenShown> login;
    if (Play)
        login = std::make_unique<WhenShown>([] { return ConnectForm; },
                                            [&](TForm* f) {
                                                formShown = true;
                                                player.PlayLoginForm(f);
                                            });
    QPointer<TConnectForm> seen;
    bool applied = false;
    try {
        applied = Connect->SetDBParams();
    } catch (const Exception& e) {
        Say(QStringLiteral("  SetDBParams failed: %1").arg(e.Message()));
        return false;
    }
    formShown = formShown || (login && login->Done());
    QString how;
    if (!applied)
        how = QStringLiteral("the login form was cancelled: nothing was changed or stored");
    else if (!Play)
        how = QStringLiteral("from the stored settings or the login form");
    else if (formShown)
        how = QStringLiteral("from the login form (entries stored for the next run)");
    else
        how = QStringLiteral("from the stored settings, without any form");
    Say(QStringLiteral("  8. SetDBParams returned %1, %2.")
            .arg(applied ? QStringLiteral("True") : QStringLiteral("False"), how));
    Say(QStringLiteral("     Parameters: %1").arg(Masked(Database->Params())));
    Say(QStringLiteral("     ServerName %1, UserName %2")
            .arg(Connect->ServerName(), Connect->UserName()));
    if (!applied) {
        Say(QStringLiteral("Outcome: the login was cancelled; the connection was not opened."));
        return false;
    }
    Say(QStringLiteral("  9. The application opens its connection (%1)...")
            .arg(Database->DriverName()));
    try {
        Database->Open();
    } catch (const Exception& e) {
        Say(QStringLiteral("Outcome: the connection to %1 did not open: %2")
                .arg(Connect->ServerName(), e.Message()));
        return false;
    }
    Say(QStringLiteral("Outcome: connected to %1 as %2.")
            .arg(Connect->ServerName(), Connect->UserName()));
    Database->Close();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool noDisplay =
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    bool offscreenAsked = false;
    for (int i = 1; i < argc; ++i)
        offscreenAsked = offscreenAsked || QByteArray(argv[i]) == "--offscreen";
    const bool headless = noDisplay || offscreenAsked;
    if (headless) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            const QString runtime = QDir::tempPath() + QStringLiteral("/corvane-demo-runtime");
            QDir().mkpath(runtime);
            QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        }
    }
    QApplication app(argc, argv);
    QCommandLineParser args;
    args.setApplicationDescription(
        QStringLiteral("Plays the typical run of TSQLConnect and TListServerDialog."));
    args.addHelpOption();
    Options o;
    QCommandLineOption key(QStringLiteral("key"),
                           QStringLiteral("settings key under HKEY_CURRENT_USER"),
                           QStringLiteral("PATH"), o.Key);
    QCommandLineOption ask(QStringLiteral("ask"),
                           QStringLiteral("CheckOnExec False: always show the login form"));
    QCommandLineOption driver(QStringLiteral("driver"), QStringLiteral("MSSQL or PGSQL"),
                              QStringLiteral("DRIVER"), o.Driver);
    QCommandLineOption database(QStringLiteral("database"), QStringLiteral("database name"),
                                QStringLiteral("NAME"));
    QCommandLineOption network(
        QStringLiteral("network"),
        QStringLiteral(
            "described (the demo's own), smb (the real network) or a described network FILE"),
        QStringLiteral("NETWORK"));
    QCommandLineOption pick(QStringLiteral("pick"),
                            QStringLiteral("server the played run double-clicks"),
                            QStringLiteral("NAME"), o.Pick);
    QCommandLineOption user(QStringLiteral("user"),
                            QStringLiteral("user name the played run types"),
                            QStringLiteral("NAME"), o.User);
    // A password can also come from the environment, so that it never shows in a process list.
    if (qEnvironmentVariableIsSet("CORVANE_DEMO_PASSWORD"))
        o.Password = qEnvironmentVariable("CORVANE_DEMO_PASSWORD");
    QCommandLineOption password(
        QStringLiteral("password"),
        QStringLiteral("password the played run types (default: $CORVANE_DEMO_PASSWORD if set)"),
        QStringLiteral("TEXT"), o.Password);
    QCommandLineOption pictures(QStringLiteral("pictures"),
                                QStringLiteral("folder for the pictures"), QStringLiteral("DIR"),
                                o.Pictures);
    QCommandLineOption keep(
        QStringLiteral("keep-settings"),
        QStringLiteral(
            "played run: use the user's own settings instead of a fresh temporary hive"));
    QCommandLineOption offscreen(QStringLiteral("offscreen"),
                                 QStringLiteral("play the run by itself even with a display"));
    for (const auto* opt : {&key, &ask, &driver, &database, &network, &pick, &user, &password,
                            &pictures, &keep, &offscreen})
        args.addOption(*opt);
    args.process(app);
    o.Key = args.value(key);
    o.CheckOnExec = !args.isSet(ask);
    o.Driver = args.value(driver).toUpper();
    o.Database = args.isSet(database)                 ? args.value(database)
                 : o.Driver == QLatin1String("PGSQL") ? QStringLiteral("postgres")
                                                      : QStringLiteral("master");
    o.Pick = args.value(pick);
    o.User = args.value(user);
    o.Password = args.value(password);
    o.Pictures = QDir(args.value(pictures)).absolutePath();
    o.Headless = headless;

    QTemporaryDir scratch;
    QString networkChoice = args.isSet(network) ? args.value(network)
                            : headless          ? QStringLiteral("described")
                                                : QStringLiteral("smb");
    if (networkChoice == QLatin1String("described")) {
        const QString file = scratch.filePath(QStringLiteral("network.txt"));
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(SampleNetwork) < 0) {
            Say(QStringLiteral("demo: cannot write %1").arg(file));
            return 2;
        }
        f.close();
        networkChoice = file;
    }
    if (networkChoice == QLatin1String("smb")) {
        qputenv("WINNET_PROVIDERS", "smb");
    } else {
        qputenv("WINNET_PROVIDERS", "described");
        qputenv("WINNET_DESCRIBED_NETWORK", networkChoice.toUtf8());
    }
    if (headless && !args.isSet(keep)) {
        const QString home = scratch.filePath(QStringLiteral("config"));
        QDir().mkpath(home);
        qputenv("XDG_CONFIG_HOME", home.toUtf8());
    }

    if (headless)
        Say(QStringLiteral(
                "No display: the run plays itself on the offscreen platform; pictures go to %1.")
                .arg(o.Pictures));
    Say(QStringLiteral("Network: %1")
            .arg(networkChoice == QLatin1String("smb")
                     ? QStringLiteral("the SMB network")
                     : QStringLiteral("described in ") + networkChoice));
    if (headless && !args.isSet(keep))
        Say(QStringLiteral("Settings: a fresh hive under %1")
                .arg(qEnvironmentVariable("XDG_CONFIG_HOME")));

    TForm holder(Application);
    holder.SetName(QStringLiteral("DemoForm"));
    auto* db = new TDatabase(&holder);
    db->SetName(QStringLiteral("Database1"));
    db->SetDatabaseName(QStringLiteral("DemoDatabase"));
    db->Params()->Values[QStringLiteral("DATABASE NAME")] = o.Database;
    db->SetDriverName(o.Driver);
    auto* connect = new TSQLConnect(&holder);
    connect->SetName(QStringLiteral("SQLConnect1"));
    connect->SetDatabase(db);
    connect->SetCheckOnExec(o.CheckOnExec);
    connect->SetRootKey(o.Key);

    Say(QStringLiteral("  1. The application calls SetDBParams before it opens its %1 connection "
                       "to database %2.")
            .arg(o.Driver, o.Database));
    bool opened = RunOnce(connect, db, o, headless, 1);
    // The next run has something to apply only when the first one stored it.
    if (headless && o.CheckOnExec && !connect->ServerName().isEmpty()) {
        Say(QString());
        Say(QStringLiteral("The next run: the key exists now."));
        TSQLConnect next(&holder);
        next.SetDatabase(db);
        next.SetCheckOnExec(true);
        next.SetRootKey(o.Key);
        opened = RunOnce(&next, db, o, true, 2);
    }
    return opened ? 0 : 1;
}
