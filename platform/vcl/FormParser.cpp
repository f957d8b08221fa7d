#include "FormSyntax.h"

namespace vcl::formtext {

namespace {

constexpr int MaxDepth = 200; // objects and lists nest no deeper; keeps hostile input off the stack

class Parser {
public:
    Parser(const QString& text, const QString& source) : FText(text), FSource(source) {}

    std::shared_ptr<Object> Run() {
        SkipBlanks();
        auto root = ParseObject(0);
        SkipBlanks();
        if (!AtEnd())
            Fail(QStringLiteral("expected the end of the description after the root's 'end'"));
        return root;
    }

private:
    [[noreturn]] void Fail(const QString& what, Location at) const {
        // One arg() call: a "%1" in the source name must not take the place of the line.
        throw EReadError(
            QStringLiteral("%1, line %2, column %3: %4")
                .arg(FSource, QString::number(at.Line), QString::number(at.Column), what));
    }
    [[noreturn]] void Fail(const QString& what) const { Fail(what, Here()); }

    Location Here() const { return {FLine, FPos - FLineStart + 1}; }
    bool AtEnd() const { return FPos >= FText.size(); }
    QChar Peek() const { return AtEnd() ? QChar() : FText[FPos]; }
    void Advance() {
        if (FText[FPos] == QLatin1Char('\n')) {
            ++FLine;
            FLineStart = FPos + 1;
        }
        ++FPos;
    }

    void SkipBlanks() {
        while (!AtEnd()) {
            const QChar c = Peek();
            if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
                c == QLatin1Char('\n'))
                Advance();
            else
                break;
        }
    }

    QString Found() const {
        if (AtEnd())
            return QStringLiteral("the end of the text");
        const QChar c = Peek();
        if (c.isPrint())
            return QStringLiteral("'%1'").arg(c);
        return QStringLiteral("character #%1").arg(c.unicode());
    }

    static bool IdentStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
    static bool IdentChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

    QString ReadIdent(const QString& expected, bool dotted = false) {
        SkipBlanks();
        if (AtEnd() || !IdentStart(Peek()) || Peek().unicode() > 127)
            Fail(QStringLiteral("expected %1, found %2").arg(expected, Found()));
        const int start = FPos;
        while (!AtEnd() && Peek().unicode() < 128 &&
               (IdentChar(Peek()) || (dotted && Peek() == QLatin1Char('.')))) {
            if (Peek() == QLatin1Char('.') &&
                (FPos + 1 >= FText.size() || !IdentStart(FText[FPos + 1])))
                Fail(QStringLiteral("expected a property name after '.'"));
            Advance();
        }
        return FText.mid(start, FPos - start);
    }

    void Expect(QChar c, const QString& context) {
        SkipBlanks();
        if (Peek() != c)
            Fail(QStringLiteral("expected '%1' %2, found %3").arg(c).arg(context, Found()));
        Advance();
    }

    bool PeekKeyword(const char* word) {
        SkipBlanks();
        const QLatin1String w(word);
        if (FText.mid(FPos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const int after = FPos + int(w.size());
        return after >= FText.size() || !IdentChar(FText[after]);
    }

    std::shared_ptr<Object> ParseObject(int depth) {
        if (depth > MaxDepth)
            Fail(QStringLiteral("expected objects nested at most %1 deep").arg(MaxDepth));
        SkipBlanks();
        auto obj = std::make_shared<Object>();
        obj->where = Here();
        if (!PeekKeyword("object"))
            Fail(QStringLiteral("expected 'object', found %1").arg(Found()));
        ReadIdent(QStringLiteral("'object'"));
        // "object Name: TClass", or "object TClass" for a component without a name.
        obj->className = ReadIdent(QStringLiteral("a component name or a class after 'object'"));
        SkipBlanks();
        if (Peek() == QLatin1Char(':')) {
            Advance();
            obj->name = obj->className;
            obj->className = ReadIdent(QStringLiteral("a class name after ':'"));
        }
        for (;;) {
            SkipBlanks();
            if (AtEnd())
                Fail(QStringLiteral("expected 'end' to close object %1, found the end of the text")
                         .arg(obj->name));
            if (PeekKeyword("end")) {
                ReadIdent(QStringLiteral("'end'"));
                return obj;
            }
            if (PeekKeyword("object")) {
                obj->children.append(ParseObject(depth + 1));
                continue;
            }
            Property prop;
            prop.where = Here();
            prop.path = ReadIdent(QStringLiteral("a property name, 'object' or 'end'"), true);
            Expect(QLatin1Char('='), QStringLiteral("after the property name ") + prop.path);
            prop.value = ParseValue(depth);
            obj->properties.append(std::move(prop));
        }
    }

    Value ParseValue(int depth) {
        if (depth > MaxDepth)
            Fail(QStringLiteral("expected lists nested at most %1 deep").arg(MaxDepth));
        SkipBlanks();
        Value v;
        v.where = Here();
        const QChar c = Peek();
        if (c == QLatin1Char('\'') || c == QLatin1Char('#')) {
            v.kind = Value::String;
            v.text = ReadString();
            for (;;) {
                SkipBlanks();
                if (Peek() != QLatin1Char('+'))
                    break;
                Advance();
                SkipBlanks();
                if (Peek() != QLatin1Char('\'') && Peek() != QLatin1Char('#'))
                    Fail(QStringLiteral("expected a string after '+', found %1").arg(Found()));
                v.text += ReadString();
            }
        } else if (c == QLatin1Char('-') || c == QLatin1Char('$') || c.isDigit()) {
            v.kind = Value::Integer;
            v.integer = ReadInteger();
        } else if (c == QLatin1Char('[')) {
            v.kind = Value::Set;
            Advance();
            SkipBlanks();
            if (Peek() != QLatin1Char(']')) {
                for (;;) {
                    v.items.append(ReadIdent(QStringLiteral("a set element")));
                    SkipBlanks();
                    if (Peek() == QLatin1Char(']'))
                        break;
                    Expect(QLatin1Char(','), QStringLiteral("or ']' in a set"));
                }
            }
            Advance();
        } else if (c == QLatin1Char('(')) {
            v.kind = Value::List;
            Advance();
            for (;;) {
                SkipBlanks();
                if (AtEnd())
                    Fail(QStringLiteral(
                        "expected ')' to close the list, found the end of the text"));
                if (Peek() == QLatin1Char(')'))
                    break;
                v.list.append(ParseValue(depth + 1));
            }
            Advance();
        } else if (c == QLatin1Char('{')) {
            v.kind = Value::Binary;
            Advance();
            QByteArray hex;
            for (;;) {
                SkipBlanks();
                if (AtEnd())
                    Fail(QStringLiteral("expected '}' to close the binary data, found the end of "
                                        "the text"));
                const QChar h = Peek();
                if (h == QLatin1Char('}'))
                    break;
                if (!isxdigit(h.unicode() < 128 ? h.toLatin1() : 'x'))
                    Fail(QStringLiteral("expected a hexadecimal digit or '}', found %1")
                             .arg(Found()));
                hex.append(h.toLatin1());
                Advance();
            }
            if (hex.size() % 2)
                Fail(QStringLiteral("expected an even number of hexadecimal digits"), v.where);
            Advance();
            v.bytes = QByteArray::fromHex(hex);
        } else if (IdentStart(c) && c.unicode() < 128) {
            v.kind = Value::Ident;
            v.text = ReadIdent(QStringLiteral("a value"), true);
        } else {
            Fail(QStringLiteral("expected a value (number, string, identifier, set, list or "
                                "binary data), found %1")
                     .arg(Found()));
        }
        return v;
    }

    QString ReadString() {
        QString s;
        for (;;) {
            const QChar c = Peek();
            if (c == QLatin1Char('\'')) {
                Advance();
                for (;;) {
                    if (AtEnd() || Peek() == QLatin1Char('\n') || Peek() == QLatin1Char('\r'))
                        Fail(QStringLiteral("expected a closing quote before the end of the line"));
                    if (Peek() == QLatin1Char('\'')) {
                        Advance();
                        if (Peek() == QLatin1Char('\'')) {
                            s += QLatin1Char('\'');
                            Advance();
                            continue;
                        }
                        break;
                    }
                    s += Peek();
                    Advance();
                }
            } else if (c == QLatin1Char('#')) {
                Advance();
                const Location at = Here();
                const qint64 code = ReadUnsigned();
                if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                    Fail(QStringLiteral("expected a character code up to 1114111"), at);
                const char32_t ch = char32_t(code);
                s += QString::fromUcs4(&ch, 1);
            } else {
                return s;
            }
        }
    }

    qint64 ReadUnsigned() {
        const Location at = Here();
        const bool hex = Peek() == QLatin1Char('$');
        if (hex)
            Advance();
        const int start = FPos;
        while (!AtEnd() && (hex ? isxdigit(Peek().unicode() < 128 ? Peek().toLatin1() : 'x')
                                : Peek().isDigit() && Peek().unicode() < 128))
            Advance();
        if (FPos == start)
            Fail(QStringLiteral("expected digits, found %1").arg(Found()));
        bool ok = false;
        const qint64 n = FText.mid(start, FPos - start).toLongLong(&ok, hex ? 16 : 10);
        if (!ok || n > 0xFFFFFFFFLL)
            Fail(QStringLiteral("expected a number that fits in 32 bits"), at);
        return n;
    }

    qint64 ReadInteger() {
        const Location at = Here();
        const bool negative = Peek() == QLatin1Char('-');
        if (negative)
            Advance();
        const bool hex = Peek() == QLatin1Char('$');
        qint64 n = ReadUnsigned();
        if (hex && !negative && n > 0x7FFFFFFF)
            n -= 0x100000000LL; // $80000008 is a 32-bit pattern
        if (negative)
            n = -n;
        if (n < -2147483648LL || n > 2147483647LL)
            Fail(QStringLiteral("expected an integer between -2147483648 and 2147483647"), at);
        if (!AtEnd() && (Peek().isLetter() || Peek() == QLatin1Char('.')))
            Fail(QStringLiteral("expected an integer, found %1").arg(Found()));
        return n;
    }

    const QString& FText;
    const QString& FSource;
    int FPos = 0;
    int FLine = 1;
    int FLineStart = 0;
};

} // namespace

std::shared_ptr<Object> Parse(const QString& Text, const QString& SourceName) {
    return Parser(Text, SourceName).Run();
}

QString KindName(Value::Kind Kind) {
    switch (Kind) {
    case Value::Integer:
        return QStringLiteral("an integer");
    case Value::String:
        return QStringLiteral("a string");
    case Value::Ident:
        return QStringLiteral("an identifier");
    case Value::Set:
        return QStringLiteral("a set");
    case Value::List:
        return QStringLiteral("a list");
    case Value::Binary:
        return QStringLiteral("binary data");
    }
    return {};
}

} // namespace vcl::formtext
