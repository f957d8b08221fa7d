#include "DescribedNetworkFile.h"

#include "Utf8.h"

#include <charconv>
#include <optional>

namespace winnet {

const DescribedContainer* DescribedNetworkModel::find(std::string_view remoteName) const {
    const auto it = containers.find(remoteName);
    return it == containers.end() ? nullptr : &it->second;
}

namespace {

struct ParseError {
    std::size_t line;
    std::string message;
};

struct Kind {
    std::string_view word;
    DWORD displayType;
    DWORD usage;
    DWORD type;
};

constexpr DWORD kContainer = RESOURCEUSAGE_CONTAINER;
constexpr DWORD kConnectable = RESOURCEUSAGE_CONNECTABLE;

constexpr Kind kKinds[] = {
    {"generic", RESOURCEDISPLAYTYPE_GENERIC, kContainer, RESOURCETYPE_ANY},
    {"domain", RESOURCEDISPLAYTYPE_DOMAIN, kContainer, RESOURCETYPE_ANY},
    {"server", RESOURCEDISPLAYTYPE_SERVER, kContainer, RESOURCETYPE_ANY},
    {"share", RESOURCEDISPLAYTYPE_SHARE, kConnectable, RESOURCETYPE_DISK},
    {"printer", RESOURCEDISPLAYTYPE_SHARE, kConnectable, RESOURCETYPE_PRINT},
    {"file", RESOURCEDISPLAYTYPE_FILE, kConnectable, RESOURCETYPE_DISK},
    {"group", RESOURCEDISPLAYTYPE_GROUP, kContainer, RESOURCETYPE_ANY},
    {"network", RESOURCEDISPLAYTYPE_NETWORK, kContainer, RESOURCETYPE_ANY},
    {"root", RESOURCEDISPLAYTYPE_ROOT, kContainer, RESOURCETYPE_ANY},
    {"shareadmin", RESOURCEDISPLAYTYPE_SHAREADMIN, kConnectable, RESOURCETYPE_DISK},
    {"directory", RESOURCEDISPLAYTYPE_DIRECTORY, kContainer | kConnectable, RESOURCETYPE_DISK},
    {"tree", RESOURCEDISPLAYTYPE_TREE, kContainer, RESOURCETYPE_ANY},
    {"ndscontainer", RESOURCEDISPLAYTYPE_NDSCONTAINER, kContainer, RESOURCETYPE_ANY},
};

std::string kindList() {
    std::string list;
    for (const Kind& kind : kKinds) {
        if (!list.empty())
            list += ", ";
        list += kind.word;
    }
    return list;
}

// Deeper nesting than any network has; keeps walks off the stack's end.
constexpr std::size_t kMaxDepth = 64;

std::string quoted(std::string_view text) {
    return "'" + std::string(utf8Prefix(text, 60)) + (text.size() > 60 ? "...'" : "'");
}

// Names and values are shown and compared as text: a control character (a NUL above all,
// which would end the name early) has no place in them.
std::optional<unsigned> controlCharacter(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return static_cast<unsigned char>(c);
    return std::nullopt;
}

// Splits one line into its words: bare runs of non-spaces, or double-quoted
// text with doubled quotes inside.
class LineScanner {
public:
    LineScanner(std::string_view text, std::size_t line) : m_rest(text), m_line(line) {}

    bool atEnd() {
        skipSpaces();
        return m_rest.empty();
    }

    std::string_view bareWord() {
        skipSpaces();
        std::size_t end = 0;
        while (end < m_rest.size() && m_rest[end] != ' ' && m_rest[end] != '=')
            ++end;
        const std::string_view word = m_rest.substr(0, end);
        m_rest.remove_prefix(end);
        return word;
    }

    bool takeEquals() {
        if (m_rest.empty() || m_rest.front() != '=')
            return false;
        m_rest.remove_prefix(1);
        return true;
    }

    std::string name(std::string_view what, std::string_view of) {
        skipSpaces();
        return text(what, of);
    }

    // An attribute's value, right after its '='; or a name once spaces are
    // skipped. What it is ("a name after", "domain") names it in errors.
    std::string text(std::string_view what, std::string_view of) {
        std::string word = rawText(what, of);
        if (const auto c = controlCharacter(word))
            fail("expected no control characters in " + described(what, of) +
                 ", found character #" + std::to_string(*c));
        return word;
    }

    [[noreturn]] void fail(std::string message) const { throw ParseError{m_line, message}; }

private:
    // A bare or double-quoted word, as it stands.
    std::string rawText(std::string_view what, std::string_view of) {
        if (m_rest.empty() || m_rest.front() == ' ')
            fail("expected " + described(what, of) + ", found the end of the line" +
                 (m_rest.empty() ? "" : " or a space"));
        if (m_rest.front() != '"') {
            const std::size_t end = std::min(m_rest.find(' '), m_rest.size());
            std::string word(m_rest.substr(0, end));
            m_rest.remove_prefix(end);
            return word;
        }
        std::string word;
        std::size_t i = 1;
        for (;;) {
            if (i >= m_rest.size())
                fail("expected a closing double quote to end " + described(what, of) +
                     ", found the end of the line");
            if (m_rest[i] == '"') {
                if (i + 1 < m_rest.size() && m_rest[i + 1] == '"') {
                    word += '"';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            word += m_rest[i++];
        }
        m_rest.remove_prefix(i);
        if (!m_rest.empty() && m_rest.front() != ' ')
            fail("expected a space after the closing double quote, found " +
                 quoted(utf8FirstCharacter(m_rest)));
        return word;
    }

    static std::string described(std::string_view what, std::string_view of) {
        return std::string(what) + " " + std::string(of);
    }

    void skipSpaces() {
        while (!m_rest.empty() && m_rest.front() == ' ')
            m_rest.remove_prefix(1);
    }

    std::string_view m_rest;
    std::size_t m_line;
};

struct Entry {
    Resource resource;
    DescribedContainer listing;
    bool usageGiven = false;
    std::size_t line = 0;
    std::size_t indent = 0;
    std::optional<std::size_t> parent;
    std::optional<std::size_t> childIndent;
};

DWORD parseNumber(const LineScanner& scanner, std::string_view key, std::string_view value) {
    DWORD number = 0;
    const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (status != std::errc() || end != value.data() + value.size())
        scanner.fail("expected a number from 0 to 4294967295 for " + std::string(key) + ", found " +
                     quoted(value));
    return number;
}

DWORD parseType(const LineScanner& scanner, std::string_view value) {
    if (value == "any")
        return RESOURCETYPE_ANY;
    if (value == "disk")
        return RESOURCETYPE_DISK;
    if (value == "print")
        return RESOURCETYPE_PRINT;
    if (value.empty() || value.front() < '0' || value.front() > '9')
        scanner.fail("expected any, disk, print or a number for type, found " + quoted(value));
    return parseNumber(scanner, "type", value);
}

DWORD parseUsage(const LineScanner& scanner, std::string_view value) {
    if (value == "container")
        return kContainer;
    if (value == "connectable")
        return kConnectable;
    if (value == "container+connectable" || value == "connectable+container")
        return kContainer | kConnectable;
    if (value.empty() || value.front() < '0' || value.front() > '9')
        scanner.fail("expected container, connectable, container+connectable or a number for "
                     "usage, found " +
                     quoted(value));
    return parseNumber(scanner, "usage", value);
}

void parseAttribute(LineScanner& scanner, Entry& entry) {
    const std::string_view key = scanner.bareWord();
    if (key.empty() || !scanner.takeEquals())
        scanner.fail("expected an attribute of the form KEY=VALUE, found " + quoted(key));
    const std::string value = scanner.text("a value for", key);
    Resource& r = entry.resource;
    if (key == "comment")
        r.comment = value;
    else if (key == "display")
        r.displayType = parseNumber(scanner, key, value);
    else if (key == "type")
        r.type = parseType(scanner, value);
    else if (key == "usage") {
        r.usage = parseUsage(scanner, value);
        entry.usageGiven = true;
    } else if (key == "open-error")
        entry.listing.openError = parseNumber(scanner, key, value);
    else if (key == "enum-error") {
        entry.listing.failure.error = parseNumber(scanner, key, value);
        // ERROR_MORE_DATA asks the caller for a larger buffer: as a listing's failure it
        // would make a caller that follows the contract ask again without end.
        if (entry.listing.failure.error == ERROR_MORE_DATA)
            scanner.fail("expected an enum-error other than 234 (ERROR_MORE_DATA), which "
                         "only a record too large for the caller's buffer gives");
    } else if (key == "enum-error-after")
        entry.listing.failure.after = parseNumber(scanner, key, value);
    else
        scanner.fail("expected one of the attributes comment, display, type, usage, open-error, "
                     "enum-error, enum-error-after, found " +
                     quoted(key));
}

Entry parseLine(std::string_view text, std::size_t line, std::size_t indent,
                std::string_view provider) {
    LineScanner scanner(text.substr(indent), line);
    Entry entry;
    entry.line = line;
    entry.indent = indent;
    const std::string_view word = scanner.bareWord();
    const Kind* kind = nullptr;
    for (const Kind& k : kKinds)
        if (k.word == word)
            kind = &k;
    if (!kind)
        scanner.fail("expected a kind (" + kindList() + "), found " + quoted(word));
    Resource& r = entry.resource;
    r.displayType = kind->displayType;
    r.usage = kind->usage;
    r.type = kind->type;
    r.provider = provider;
    entry.listing.failure.provider = provider;
    r.remoteName = scanner.name("a name after", word);
    if (r.remoteName.empty())
        scanner.fail("expected a name after " + std::string(word) + ", found \"\"");
    while (!scanner.atEnd())
        parseAttribute(scanner, entry);
    return entry;
}

std::vector<Entry> parseEntries(std::string_view text, std::string_view provider) {
    std::vector<Entry> entries;
    std::vector<std::size_t> open; // the chain of entries the next line may lie in
    std::optional<std::size_t> topIndent;
    std::size_t lineNumber = 0;
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark))
        text.remove_prefix(byteOrderMark.size());
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        if (const std::size_t bad = firstInvalidUtf8(line); bad != std::string_view::npos)
            throw ParseError{lineNumber, "expected UTF-8 text, found an invalid byte at column " +
                                             std::to_string(bad + 1)};
        const std::size_t indent = std::min(line.find_first_not_of(' '), line.size());
        if (indent == line.size() || line[indent] == '#')
            continue;
        if (line[indent] == '\t')
            throw ParseError{lineNumber, "expected spaces for indentation, found a tab"};

        while (!open.empty() && entries[open.back()].indent >= indent)
            open.pop_back();
        if (open.size() >= kMaxDepth)
            throw ParseError{lineNumber, "expected lines nested at most " +
                                             std::to_string(kMaxDepth) + " deep"};
        Entry entry = parseLine(line, lineNumber, indent, provider);
        std::optional<std::size_t>& siblingsIndent =
            open.empty() ? topIndent : entries[open.back()].childIndent;
        if (siblingsIndent && *siblingsIndent != indent)
            throw ParseError{lineNumber, "expected an indentation of " +
                                             std::to_string(*siblingsIndent) +
                                             " spaces, like the lines before it at this level, "
                                             "found " +
                                             std::to_string(indent)};
        siblingsIndent = indent;
        if (!open.empty()) {
            Entry& parent = entries[open.back()];
            if (!parent.resource.isContainer()) {
                if (parent.usageGiven)
                    throw ParseError{
                        lineNumber, "expected no lines inside line " + std::to_string(parent.line) +
                                        ", whose usage is not container, found an indented line"};
                parent.resource.usage |= RESOURCEUSAGE_CONTAINER;
            }
            entry.parent = open.back();
        }
        entries.push_back(std::move(entry));
        open.push_back(entries.size() - 1);
    }
    return entries;
}

std::shared_ptr<DescribedNetworkModel> buildModel(std::vector<Entry>& entries,
                                                  std::string_view provider) {
    auto model = std::make_shared<DescribedNetworkModel>();
    std::size_t containerCount = 0;
    for (const Entry& entry : entries)
        containerCount += entry.resource.isContainer() ? 1 : 0;
    model->containers.reserve(containerCount);
    // Where each entry's own listing lives; the map's elements never move.
    std::vector<DescribedContainer*> listings(entries.size(), nullptr);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Entry& entry = entries[i];
        if (!entry.resource.isContainer())
            continue;
        // Opened by its name alone, it would be taken for the provider's own top.
        if (entry.resource.remoteName == provider)
            throw ParseError{entry.line, "expected a container name other than the provider's " +
                                             quoted(provider)};
        const auto [it, added] =
            model->containers.try_emplace(entry.resource.remoteName, std::move(entry.listing));
        if (!added) {
            std::size_t first = 0;
            for (std::size_t j = 0; j < i; ++j)
                if (listings[j] == &it->second)
                    first = entries[j].line;
            throw ParseError{entry.line, "expected a container name not used before, found " +
                                             quoted(entry.resource.remoteName) +
                                             " (a container on line " + std::to_string(first) +
                                             ")"};
        }
        listings[i] = &it->second;
    }
    for (Entry& entry : entries) {
        DescribedContainer& parent = entry.parent ? *listings[*entry.parent] : model->top;
        parent.children.push_back(std::move(entry.resource));
    }
    return model;
}

} // namespace

DescribedNetworkParse parseDescribedNetwork(std::string_view text, std::string_view sourceName,
                                            std::string_view provider) {
    try {
        std::vector<Entry> entries = parseEntries(text, provider);
        return {buildModel(entries, provider), {}};
    } catch (const ParseError& error) {
        return {nullptr,
                std::string(sourceName) + ":" + std::to_string(error.line) + ": " + error.message};
    }
}

} // namespace winnet
