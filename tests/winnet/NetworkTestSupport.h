#pragma once

// Helpers shared by the network-enumeration tests.

#include "WinNet.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

// A record copied out of a batch buffer, with its strings.
struct CopiedRecord {
    DWORD scope = 0;
    DWORD type = 0;
    DWORD displayType = 0;
    DWORD usage = 0;
    bool hasLocalName = false;
    bool hasComment = false;
    QByteArray remoteName;
    QByteArray comment;
    QByteArray provider;
};

inline CopiedRecord findRecord(const QList<CopiedRecord>& records, const QByteArray& name) {
    for (const CopiedRecord& r : records)
        if (r.remoteName == name)
            return r;
    return {};
}

// Owns a container record and its strings, to hand back to WNetOpenEnumA.
class ContainerRecord {
public:
    explicit ContainerRecord(const CopiedRecord& r)
        : m_remote(r.remoteName), m_comment(r.comment), m_provider(r.provider) {
        m_record.dwScope = r.scope;
        m_record.dwType = r.type;
        m_record.dwDisplayType = r.displayType;
        m_record.dwUsage = r.usage;
        m_record.lpRemoteName = m_remote.data();
        m_record.lpComment = r.hasComment ? m_comment.data() : nullptr;
        m_record.lpProvider = m_provider.data();
    }
    ContainerRecord(const ContainerRecord&) = delete;
    ContainerRecord& operator=(const ContainerRecord&) = delete;
    LPNETRESOURCEA get() { return &m_record; }
    void forgetProvider() { m_record.lpProvider = nullptr; }

private:
    QByteArray m_remote, m_comment, m_provider;
    NETRESOURCEA m_record{};
};

// Checks that a string the record points to lies wholly inside the buffer.
inline bool insideBuffer(const char* text, const unsigned char* buffer, DWORD size) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    if (p < buffer || p >= buffer + size)
        return false;
    return std::memchr(p, '\0', static_cast<std::size_t>(buffer + size - p)) != nullptr;
}

// Reads one enumeration to its end with the given batch size and count;
// returns the final result (ERROR_NO_MORE_ITEMS when all went well) and puts
// any broken promise of the batch contract into *problem.
inline DWORD readAll(HANDLE handle, QList<CopiedRecord>* records, DWORD bufferSize, DWORD count,
                     QString* problem, int* batches = nullptr) {
    std::vector<unsigned char> storage(bufferSize + sizeof(NETRESOURCEA));
    unsigned char* buffer = storage.data();
    for (int guard = 0; guard < 1000000; ++guard) {
        DWORD n = count;
        DWORD size = bufferSize;
        std::memset(buffer, 0xAB, storage.size());
        const DWORD result = WNetEnumResourceA(handle, &n, buffer, &size);
        if (result != NO_ERROR)
            return result;
        if (n == 0 || (count != WNET_ALL_RECORDS && n > count))
            *problem = QStringLiteral("a batch delivered %1 records for a request of %2")
                           .arg(n)
                           .arg(count);
        if (n * sizeof(NETRESOURCEA) > bufferSize)
            *problem =
                QStringLiteral("%1 records overflow a %2-byte buffer").arg(n).arg(bufferSize);
        if (buffer[bufferSize] != 0xAB)
            *problem = QStringLiteral("a batch wrote past the end of the buffer");
        if (!problem->isEmpty())
            return result;
        if (batches)
            ++*batches;
        for (DWORD i = 0; i < n; ++i) {
            NETRESOURCEA r;
            std::memcpy(&r, buffer + i * sizeof r, sizeof r);
            for (const char* s : {r.lpRemoteName, r.lpProvider, r.lpComment, r.lpLocalName})
                if (s && !insideBuffer(s, buffer, bufferSize))
                    *problem =
                        QStringLiteral("a string of record %1 lies outside the buffer").arg(i);
            if (!r.lpRemoteName || !r.lpProvider)
                *problem = QStringLiteral("record %1 has no remote name or no provider").arg(i);
            if (!problem->isEmpty())
                return result;
            CopiedRecord c;
            c.scope = r.dwScope;
            c.type = r.dwType;
            c.displayType = r.dwDisplayType;
            c.usage = r.dwUsage;
            c.hasLocalName = r.lpLocalName != nullptr;
            c.hasComment = r.lpComment != nullptr;
            c.remoteName = r.lpRemoteName;
            c.comment = r.lpComment ? QByteArray(r.lpComment) : QByteArray();
            c.provider = r.lpProvider;
            records->append(c);
        }
    }
    *problem = QStringLiteral("the enumeration never ended");
    return NO_ERROR;
}

// Lists one container (or the root) completely; the result of the open is
// returned, and *problem says what went wrong otherwise.
inline DWORD listContainer(LPNETRESOURCEA container, QList<CopiedRecord>* records, QString* problem,
                           DWORD type = RESOURCETYPE_ANY, DWORD usage = 0,
                           DWORD bufferSize = 16384) {
    HANDLE handle = nullptr;
    const DWORD opened = WNetOpenEnumA(RESOURCE_GLOBALNET, type, usage, container, &handle);
    if (opened != NO_ERROR)
        return opened;
    const DWORD end = readAll(handle, records, bufferSize, WNET_ALL_RECORDS, problem);
    if (end != ERROR_NO_MORE_ITEMS && problem->isEmpty())
        *problem = QStringLiteral("listing ended with error %1").arg(end);
    if (WNetCloseEnum(handle) != NO_ERROR && problem->isEmpty())
        *problem = QStringLiteral("closing failed");
    return NO_ERROR;
}

// Walks the whole network the way the server list does (depth first, every
// record descended into, one 1312-byte buffer per level) and writes one line
// per record: indentation by depth, display type, remote name.
inline void walkAsServerList(LPNETRESOURCEA container, int depth, QByteArray* lines,
                             DWORD usage = RESOURCEUSAGE_CONTAINER) {
    HANDLE handle = nullptr;
    if (WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, usage, container, &handle) != NO_ERROR)
        return;
    alignas(NETRESOURCEA) unsigned char batch[1312];
    for (int guard = 0; guard < 100000; ++guard) {
        DWORD count = WNET_ALL_RECORDS;
        DWORD size = sizeof batch;
        if (WNetEnumResourceA(handle, &count, batch, &size) != NO_ERROR)
            break;
        auto* records = reinterpret_cast<LPNETRESOURCEA>(batch);
        for (DWORD i = 0; i < count; ++i) {
            *lines += QByteArray(2 * depth, ' ') + QByteArray::number(records[i].dwDisplayType) +
                      ' ' + records[i].lpRemoteName + '\n';
            walkAsServerList(&records[i], depth + 1, lines, usage);
        }
    }
    WNetCloseEnum(handle);
}

// A described network in a temporary file, made the only active provider.
class DescribedNetworkFile {
public:
    explicit DescribedNetworkFile(const QByteArray& text = {}) {
        m_path = m_dir.filePath(QStringLiteral("network.txt"));
        write(text);
        qputenv("WINNET_PROVIDERS", "described");
        qputenv("WINNET_DESCRIBED_NETWORK", QFile::encodeName(m_path));
    }
    ~DescribedNetworkFile() {
        qunsetenv("WINNET_PROVIDERS");
        qunsetenv("WINNET_DESCRIBED_NETWORK");
    }
    void write(const QByteArray& text) {
        QFile file(m_path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text);
    }
    QString path() const { return m_path; }
    QString dir() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// The extended error of the last failing open, as "code|message|provider".
inline QString lastExtendedError() {
    DWORD code = 0;
    char message[2048];
    char provider[256];
    if (WNetGetLastErrorA(&code, message, sizeof message, provider, sizeof provider) != NO_ERROR)
        return QStringLiteral("(WNetGetLastErrorA failed)");
    return QStringLiteral("%1|%2|%3")
        .arg(code)
        .arg(QString::fromUtf8(message), QString::fromUtf8(provider));
}

// Collects what is written to the process's stdout and stderr (file
// descriptors 1 and 2, so libraries' output too) while it lives.
class OutputCapture {
public:
    OutputCapture() {
        std::fflush(stdout);
        std::fflush(stderr);
        for (int fd : {1, 2}) {
            std::FILE* file = std::tmpfile();
            m_files.push_back(file);
            m_saved.push_back(::dup(fd));
            ::dup2(::fileno(file), fd);
        }
    }
    ~OutputCapture() { restore(); }
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // Restores the descriptors; returns everything written meanwhile.
    QByteArray restore() {
        if (m_files.empty())
            return m_text;
        std::fflush(stdout);
        std::fflush(stderr);
        for (std::size_t i = 0; i < m_files.size(); ++i) {
            ::dup2(m_saved[i], static_cast<int>(i) + 1);
            ::close(m_saved[i]);
            std::rewind(m_files[i]);
            char chunk[4096];
            std::size_t n;
            while ((n = std::fread(chunk, 1, sizeof chunk, m_files[i])) > 0)
                m_text.append(chunk, static_cast<qsizetype>(n));
            std::fclose(m_files[i]);
        }
        m_files.clear();
        return m_text;
    }

private:
    std::vector<std::FILE*> m_files;
    std::vector<int> m_saved;
    QByteArray m_text;
};
