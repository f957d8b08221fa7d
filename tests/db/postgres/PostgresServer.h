#pragma once

// The throwaway PostgreSQL server of the tests, as its start script describes it in the state
// file that POSTGRES_STATE_FILE names. Header-only, for any test that includes
// tests/db/postgres/PostgresServer.cmake and calls use_postgres_server().

#include <QFile>
#include <QHash>
#include <QString>

#include <optional>

struct TPostgresServer {
    QString Host;
    int Port = 0;
    QString User;
    QString Password;
    QString Database;

    // "127.0.0.1,PORT", the form a TDatabase's "SERVER NAME" takes.
    QString ServerName() const { return Host + QLatin1Char(',') + QString::number(Port); }

    // The running server, or none with the reason in Why.
    static std::optional<TPostgresServer> Running(QString* Why) {
        const QString path = qEnvironmentVariable("POSTGRES_STATE_FILE");
        if (path.isEmpty()) {
            *Why = QStringLiteral("POSTGRES_STATE_FILE is not set: run this test through ctest, "
                                  "which starts the server (fixture postgres_server)");
            return std::nullopt;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *Why = QStringLiteral("no PostgreSQL test server: %1 does not exist (see the output "
                                  "of the test postgres_server_start)")
                       .arg(path);
            return std::nullopt;
        }
        QHash<QString, QString> values;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0)
                values.insert(QString::fromUtf8(line.left(eq)),
                              QString::fromUtf8(line.mid(eq + 1)));
        }
        TPostgresServer s{values.value("PGHOST"), values.value("PGPORT").toInt(),
                          values.value("PGUSER"), values.value("PGPASSWORD"),
                          values.value("PGDATABASE")};
        if (s.Host.isEmpty() || s.Port <= 0 || s.User.isEmpty()) {
            *Why = QStringLiteral("%1 does not describe a server").arg(path);
            return std::nullopt;
        }
        return s;
    }
};
