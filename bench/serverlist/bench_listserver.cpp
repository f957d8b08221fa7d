// How long the server list takes from Execute to its filled, expanded tree, beside the same
// number of nodes added to a bare Qt tree widget (the floor), with each one's peak memory.
//
//   bench_listserver list DOMAINS SERVERS    the list form over a described network
//   bench_listserver floor DOMAINS SERVERS   a QTreeWidget with the same nodes
// Each run prints one line: mode, nodes, milliseconds, peak resident kilobytes.

#include <serverlist/ListReg.h>
#include <serverlist/ListSerFm.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <sys/resource.h>

#include <cstdio>

namespace {

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double RunList(int Domains, int Servers) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("network.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    for (int d = 0; d < Domains; ++d) {
        file.write(QStringLiteral("domain DOMAIN%1\n").arg(d).toUtf8());
        for (int s = 0; s < Servers; ++s)
            file.write(QStringLiteral("  server \\\\D%1SERVER%2\n").arg(d).arg(s).toUtf8());
    }
    file.close();
    qputenv("WINNET_PROVIDERS", "described");
    qputenv("WINNET_DESCRIBED_NETWORK", path.toUtf8());

    TListServerDialog dialog(nullptr);
    QElapsedTimer clock;
    double elapsed = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (ListServerForm && ListServerForm->Widget()->isVisible()) {
            elapsed = clock.nsecsElapsed() / 1e6;
            const int nodes = ListServerForm->Tree->Items->Count();
            if (nodes != Domains * (Servers + 1))
                std::fprintf(stderr, "bench: expected %d nodes, the tree has %d\n",
                             Domains * (Servers + 1), nodes);
            ListServerForm->SetModalResult(vcl::mrCancel);
        }
    });
    poll.start(0);
    clock.start();
    dialog.Execute();
    return elapsed;
}

double RunFloor(int Domains, int Servers) {
    QTreeWidget tree;
    tree.setHeaderHidden(true);
    tree.setUniformRowHeights(true);
    tree.resize(225, 193);
    tree.show();
    QElapsedTimer clock;
    clock.start();
    for (int d = 0; d < Domains; ++d) {
        auto* domain = new QTreeWidgetItem(&tree, QStringList(QStringLiteral("DOMAIN%1").arg(d)));
        for (int s = 0; s < Servers; ++s)
            new QTreeWidgetItem(domain, QStringList(QStringLiteral("D%1SERVER%2").arg(d).arg(s)));
    }
    tree.expandAll();
    tree.scrollToItem(tree.topLevelItem(0));
    QApplication::processEvents();
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_listserver list|floor DOMAINS SERVERS\n");
        return 2;
    }
    const QString mode = QString::fromLatin1(argv[1]);
    const int domains = std::atoi(argv[2]);
    const int servers = std::atoi(argv[3]);
    const double ms =
        mode == QLatin1String("list") ? RunList(domains, servers) : RunFloor(domains, servers);
    std::printf("%s %d %.1f %ld\n", argv[1], domains * (servers + 1), ms, PeakKilobytes());
    return ms < 0 ? 1 : 0;
}
