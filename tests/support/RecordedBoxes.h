#pragma once
// Every message box the program opens, recorded and answered instead of shown, for as long
// as this object lives.

#include "common/MessageBoxes.h"

#include <QList>

#include <functional>

struct RecordedBox {
    BoxKind kind;
    QString caption;
    QString text;
};

class RecordedBoxes final : public QList<RecordedBox> {
public:
    RecordedBoxes();
    ~RecordedBoxes();
    RecordedBoxes(const RecordedBoxes&) = delete;
    RecordedBoxes& operator=(const RecordedBoxes&) = delete;

    QStringList texts() const;
    QList<BoxKind> kinds() const;

    // The answer to a confirmation: true is OK (and the first button of a choice).
    bool answer = true;
    // Runs while a box stands open, e.g. to deliver the focus change a real one makes.
    std::function<void()> whileOpen;
};
