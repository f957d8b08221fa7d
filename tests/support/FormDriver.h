#pragma once

// Drives forms that the code under test creates and shows itself (a login form inside
// SetDBParams, a list form inside Execute): steps run once the form is shown and active, keys
// and mouse go through its window as a person's would, and a watchdog ends any modal form a
// failed step left open, so that no failure hangs a test.

#include <vcl/Forms.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <memory>

namespace formdriver {

inline constexpr vcl::TModalResult Watchdog = -101;

// Once Form() returns a shown, active form, runs Steps with it (once). Keep the returned
// object alive for as long as the steps may run.
class Pending {
public:
    Pending(std::function<vcl::TForm*()> Form, std::function<void(vcl::TForm*)> Steps,
            int WatchdogSeconds = 20)
        : FForm(std::move(Form)), FSteps(std::move(Steps)) {
        QObject::connect(&FPoll, &QTimer::timeout, [this] { Poll(); });
        FPoll.start(5);
        FDeadline.setSingleShot(false);
        QObject::connect(&FDeadline, &QTimer::timeout, [this] { Expire(); });
        FDeadline.start(WatchdogSeconds * 1000);
    }
    bool Ran() const { return FRan; }

private:
    void Poll() {
        vcl::TForm* form = FForm();
        if (FRan || !form || !form->Widget()->isVisible() ||
            QApplication::activeModalWidget() != form->Widget())
            return;
        FRan = true;
        FPoll.stop();
        if (!QTest::qWaitForWindowActive(form->Widget()))
            QTest::qFail("the form's window did not become active", __FILE__, __LINE__);
        else
            FSteps(form);
    }
    void Expire() {
        if (!FReported)
            QTest::qFail("watchdog: a modal form was left open", __FILE__, __LINE__);
        FReported = true;
        FDeadline.setInterval(200);
        if (auto* open =
                qobject_cast<vcl::TForm*>(vcl::FindControl(QApplication::activeModalWidget())))
            open->SetModalResult(Watchdog);
    }

    std::function<vcl::TForm*()> FForm;
    std::function<void(vcl::TForm*)> FSteps;
    QTimer FPoll;
    QTimer FDeadline;
    bool FRan = false;
    bool FReported = false;
};

inline QWindow* WindowOf(vcl::TControl* Control) {
    return Control->Widget()->window()->windowHandle();
}

inline void Press(vcl::TControl* Control, Qt::Key Key, Qt::KeyboardModifiers Modifiers = {}) {
    QTest::keyClick(WindowOf(Control), Key, Modifiers);
}

inline void Type(vcl::TControl* Control, const QString& Text) {
    for (QChar c : Text)
        QTest::keyClick(WindowOf(Control), c.toLatin1());
}

inline QPoint InWindow(QWidget* Widget, QPoint At) {
    return Widget->mapTo(Widget->window(), At);
}

inline void Click(QWidget* Widget, QPoint At) {
    QTest::mouseClick(Widget->window()->windowHandle(), Qt::LeftButton, {}, InWindow(Widget, At));
}

inline void Click(QWidget* Widget) {
    Click(Widget, Widget->rect().center());
}

// A double click on a tree node: the press of its first click selects the node first.
inline void DoubleClick(QWidget* Widget, QPoint At) {
    QWindow* window = Widget->window()->windowHandle();
    const QPoint at = InWindow(Widget, At);
    QTest::mouseClick(window, Qt::LeftButton, {}, at);
    QTest::mouseDClick(window, Qt::LeftButton, {}, at);
}

// The widget that shows the nodes of a tree control.
inline QWidget* TreeViewport(vcl::TControl* Tree) {
    auto* view = qobject_cast<QAbstractItemView*>(Tree->Widget());
    return view ? view->viewport() : Tree->Widget();
}

} // namespace formdriver
