#pragma once

// Points the network functions at a described network written by the test itself, and finds
// nodes of the tree it gives.

#include <vcl/ComCtrls.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace formdriver {

class DescribedNetwork {
public:
    // Writes Text as a new described network and makes it the only provider.
    void Use(const QString& Text) {
        const QString path = FDir.filePath(QStringLiteral("net%1.txt").arg(++FFiles));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Text.toUtf8());
        file.close();
        qputenv("WINNET_PROVIDERS", "described");
        qputenv("WINNET_DESCRIBED_NETWORK", path.toUtf8());
    }
    QString Path(const QString& Name) const { return FDir.filePath(Name); }

private:
    QTemporaryDir FDir;
    int FFiles = 0;
};

inline vcl::TTreeNode* FindNode(vcl::TTreeView* Tree, const QString& Text) {
    for (vcl::TTreeNode* n = Tree->Items->GetFirstNode(); n; n = n->GetNext())
        if (n->Text() == Text)
            return n;
    return nullptr;
}

} // namespace formdriver
