#pragma once

// Drives a modal form as a person would: keys and mouse through the form's window.

#include "FormDriver.h"
#include "vcl/Forms.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>

namespace driver {

// Results that no button gives: the steps left the form open, or the watchdog ended it.
inline constexpr vcl::TModalResult LeftOpen = -100;
inline constexpr vcl::TModalResult Watchdog = -101;
inline constexpr int WatchdogSeconds = 20;

inline QWindow* WindowOf(vcl::TForm* Form) {
    return Form->Widget()->windowHandle();
}

// Runs Steps inside Form's modal loop once its window is active, and returns what ShowModal
// returned. Steps that leave the form open (a failed check returns early) end it with
// LeftOpen; a watchdog ends any form still modal with Watchdog, so no failure hangs the test.
inline vcl::TModalResult RunModal(vcl::TForm* Form, const std::function<void()>& Steps) {
    QPointer<vcl::TForm> form(Form);
    // Timers owned by this call: none of them outlives a ShowModal that throws early.
    QTimer start;
    start.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, Form, [form, &Steps] {
        if (!form)
            return;
        if (!QTest::qWaitForWindowActive(form->Widget()))
            QTest::qFail("the form's window did not become active", __FILE__, __LINE__);
        else
            Steps();
        if (form && form->ModalResult() == vcl::mrNone)
            form->SetModalResult(LeftOpen);
    });
    start.start(0);
    // The watchdog ends the innermost modal form, again and again, until this one is closed.
    QTimer watchdog;
    bool reported = false;
    QObject::connect(&watchdog, &QTimer::timeout, Form, [&watchdog, &reported] {
        if (!reported)
            QTest::qFail("watchdog: a modal form was left open", __FILE__, __LINE__);
        reported = true;
        watchdog.setInterval(200);
        if (auto* open =
                qobject_cast<vcl::TForm*>(vcl::FindControl(QApplication::activeModalWidget())))
            open->SetModalResult(Watchdog);
    });
    watchdog.start(WatchdogSeconds * 1000);
    return Form->ShowModal();
}

// Keys and clicks go through the window as a person's would (shared with the system's tests).
using formdriver::Click;
using formdriver::InWindow;
using formdriver::Press;
using formdriver::Type;

// Only the second click of a double click: the test makes the first one itself.
inline void DoubleClick(QWidget* Widget, QPoint At) {
    QTest::mouseDClick(Widget->window()->windowHandle(), Qt::LeftButton, {}, InWindow(Widget, At));
}

} // namespace driver
