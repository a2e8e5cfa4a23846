#pragma once
// The About box: the application icon, the product line and the tagline. It has no
// buttons; the close box, the window menu, Alt+F4 and Esc close it.

#include <QDialog>

class QLabel;

class TfrmAbout final : public QDialog {
    Q_OBJECT
public:
    // Centres itself over the window of `parent` when there is one.
    explicit TfrmAbout(QWidget* parent = nullptr);

    QLabel* imgIcon = nullptr;
    QLabel* lblProduct = nullptr;
    QLabel* lblTagline = nullptr;

private:
    void centreOver(const QWidget* owner);
    QSize m_outerSize; // by the design frame rule
};
