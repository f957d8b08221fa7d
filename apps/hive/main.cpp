// hive: looks at and edits the current user's registry hive from the command line.

#include <vcl/Hive.h>
#include <vcl/Registry.h>

#include <QCoreApplication>
#include <QFileDevice>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

using namespace vcl;

namespace {

const char* const Usage = R"(Usage: hive COMMAND [ARGUMENTS]
Looks at and edits the current user's registry hive (HKEY_CURRENT_USER).

  path                    print where the hive file is
  list [KEY]              the subkeys (ending in \) and values of KEY
  read KEY NAME           print the string value NAME of KEY
  write KEY NAME VALUE    set the string value NAME of KEY, creating the key
  create KEY              create KEY without values
  delete KEY [NAME]       delete the value NAME of KEY, or KEY with everything below it
  export [KEY]            KEY and everything below it as text

Key paths use backslashes (Software\Vendor\App) and start at HKEY_CURRENT_USER; a leading
"HKEY_CURRENT_USER\" is accepted, and an omitted or empty KEY is the root. NAME "" is the
key's default value.
Key names that could be misread (with quotes, brackets, backslashes, control characters,
leading "@" or spaces at either end) are printed in double quotes like values.
Exit status: 0 done, 1 no such key or value, 2 wrong usage, 3 the hive failed, 4 the output
could not be written.
)";

enum ExitCode { Done = 0, NotFound = 1, WrongUsage = 2, HiveFailed = 3, OutputFailed = 4 };

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

QTextStream& Err() {
    static QTextStream err(stderr);
    return err;
}

// A path below HKEY_CURRENT_USER, without leading or trailing backslashes.
QString KeyPath(QString Key) {
    for (const QString& prefix : {QStringLiteral("HKEY_CURRENT_USER"), QStringLiteral("HKCU")}) {
        if (Key.compare(prefix, Qt::CaseInsensitive) == 0)
            return QString();
        if (Key.startsWith(prefix + QLatin1Char('\\'), Qt::CaseInsensitive)) {
            Key.remove(0, prefix.size());
            break;
        }
    }
    while (Key.startsWith(QLatin1Char('\\')))
        Key.remove(0, 1);
    while (Key.endsWith(QLatin1Char('\\')))
        Key.chop(1);
    return Key;
}

// A string in double quotes, with backslash escapes for what would break the line.
QString Quote(const QString& S) {
    QString q = QStringLiteral("\"");
    for (QChar c : S) {
        switch (c.unicode()) {
        case '\\':
            q += QStringLiteral("\\\\");
            break;
        case '"':
            q += QStringLiteral("\\\"");
            break;
        case '\n':
            q += QStringLiteral("\\n");
            break;
        case '\r':
            q += QStringLiteral("\\r");
            break;
        case '\t':
            q += QStringLiteral("\\t");
            break;
        case 0:
            q += QStringLiteral("\\0");
            break;
        default:
            q += c;
        }
    }
    return q + QLatin1Char('"');
}

// Whether C can stand in a printed key name as it is: not what ends a line or looks like
// whitespace, nor a separator, quote or bracket of the output.
bool PlainInKeyName(char32_t C) {
    switch (QChar::category(C)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        break;
    }
    if (C == U' ')
        return true;
    return !QChar::isSpace(C) && C != U'\\' && C != U'"' && C != U'[' && C != U']';
}

// A key name as printed: as it is when it cannot be misread, else quoted like a value, so that
// a name can never end a line, close a section header, pass for a value or hide a separator.
QString KeyName(const QString& Name) {
    const auto chars = Name.toUcs4(); // whole characters, not UTF-16 halves
    const bool plain = !Name.isEmpty() && Name.isValidUtf16() &&
                       !Name.startsWith(QLatin1Char('@')) && !Name.startsWith(QLatin1Char(' ')) &&
                       !Name.endsWith(QLatin1Char(' ')) &&
                       std::all_of(chars.begin(), chars.end(), PlainInKeyName);
    return plain ? Name : Quote(Name);
}

// The full name of the key at Path, each key name printed as KeyName() prints it.
QString FullName(const QString& Path) {
    QString name = RootKeyName(HKEY_CURRENT_USER);
    if (!Path.isEmpty())
        for (const QString& key : Path.split(QLatin1Char('\\')))
            name += QLatin1Char('\\') + KeyName(key);
    return name;
}

QString ValueLine(TRegistry& Reg, const QString& Name) {
    const QString left = Name.isEmpty() ? QStringLiteral("@") : Quote(Name);
    if (Reg.GetDataType(Name) != rdString && Reg.GetDataType(Name) != rdExpandString)
        return left + QStringLiteral("=(not a string)");
    return left + QLatin1Char('=') + Quote(Reg.ReadString(Name));
}

bool Open(TRegistry& Reg, const QString& Path, bool CanCreate = false) {
    if (Reg.OpenKey(QLatin1Char('\\') + Path, CanCreate))
        return true;
    Err() << "hive: no key " << FullName(Path) << Qt::endl;
    return false;
}

int List(const QString& Path) {
    TRegistry reg;
    if (!Open(reg, Path))
        return NotFound;
    TStringList names;
    reg.GetKeyNames(&names);
    for (const QString& key : names.ToStringList())
        Out() << KeyName(key) << "\\\n";
    reg.GetValueNames(&names);
    for (const QString& name : names.ToStringList())
        Out() << ValueLine(reg, name) << '\n';
    return Done;
}

int Read(const QString& Path, const QString& Name) {
    TRegistry reg;
    if (!Open(reg, Path))
        return NotFound;
    if (!reg.ValueExists(Name)) {
        Err() << "hive: no value " << Quote(Name) << " in " << FullName(Path) << Qt::endl;
        return NotFound;
    }
    Out() << reg.ReadString(Name) << '\n';
    return Done;
}

int Write(const QString& Path, const QString& Name, const QString& Value) {
    TRegistry reg;
    if (!Open(reg, Path, true))
        return HiveFailed;
    reg.WriteString(Name, Value);
    return Done;
}

int Create(const QString& Path) {
    TRegistry reg;
    return Open(reg, Path, true) ? Done : HiveFailed;
}

int Delete(const QString& Path, const QString* Name) {
    TRegistry reg;
    if (Name) {
        if (!Open(reg, Path))
            return NotFound;
        if (reg.DeleteValue(*Name))
            return Done;
        Err() << "hive: no value " << Quote(*Name) << " in " << FullName(Path) << Qt::endl;
        return NotFound;
    }
    if (Path.isEmpty()) {
        Err() << "hive: the root key cannot be deleted" << Qt::endl;
        return WrongUsage;
    }
    if (reg.DeleteKey(QLatin1Char('\\') + Path))
        return Done;
    Err() << "hive: no key " << FullName(Path) << Qt::endl;
    return NotFound;
}

void ExportKey(TRegistry& Reg, const QString& Path) {
    if (!Reg.OpenKey(QLatin1Char('\\') + Path, false))
        return; // deleted while we were exporting
    Out() << '[' << FullName(Path) << "]\n";
    TStringList names;
    Reg.GetValueNames(&names);
    for (const QString& name : names.ToStringList())
        Out() << ValueLine(Reg, name) << '\n';
    Out() << '\n';
    Reg.GetKeyNames(&names);
    for (const QString& key : names.ToStringList())
        ExportKey(Reg, Path.isEmpty() ? key : Path + QLatin1Char('\\') + key);
}

int Export(const QString& Path) {
    TRegistry reg;
    if (!Open(reg, Path))
        return NotFound;
    ExportKey(reg, Path);
    return Done;
}

int Run(const QStringList& Args) {
    const QString command = Args.value(0);
    const qsizetype n = Args.size() - 1;
    auto arg = [&](int i) { return Args.value(i); };
    if (command == QLatin1String("path") && n == 0) {
        Out() << UserHivePath() << '\n';
        return Done;
    }
    if (command == QLatin1String("list") && n <= 1)
        return List(KeyPath(arg(1)));
    if (command == QLatin1String("read") && n == 2)
        return Read(KeyPath(arg(1)), arg(2));
    if (command == QLatin1String("write") && n == 3)
        return Write(KeyPath(arg(1)), arg(2), arg(3));
    if (command == QLatin1String("create") && n == 1)
        return Create(KeyPath(arg(1)));
    if (command == QLatin1String("delete") && (n == 1 || n == 2)) {
        const QString name = arg(2);
        return Delete(KeyPath(arg(1)), n == 2 ? &name : nullptr);
    }
    if (command == QLatin1String("export") && n <= 1)
        return Export(KeyPath(arg(1)));
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        Out() << Usage;
        return Done;
    }
    Err() << Usage;
    return WrongUsage;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int code = [&] {
        try {
            return Run(app.arguments().mid(1));
        } catch (const Exception& e) {
            Err() << "hive: " << e.Message() << Qt::endl;
            return int(HiveFailed);
        }
    }();
    // Output that did not reach its destination (a full disk, a closed pipe) is a failure.
    Out().flush();
    if (Out().status() != QTextStream::Ok) {
        const auto* file = qobject_cast<QFileDevice*>(Out().device());
        Err() << "hive: cannot write the output to stdout: "
              << (file ? file->errorString() : QStringLiteral("write failed")) << Qt::endl;
        return code == Done ? int(OutputFailed) : code;
    }
    return code;
}
