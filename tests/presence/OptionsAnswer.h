#pragma once
// Answers the Options dialog once it is open, from inside its modal loop.

#include "settings/Options.h"

#include <QApplication>
#include <QTimer>

#include <functional>

inline void whenOptionsOpen(const std::function<void(TfrmOptions&)>& answer)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        auto* dialog = qobject_cast<TfrmOptions*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(*dialog);
    });
    timer->start();
}
