#include "settings/Options.h"

#include "common/DesignFont.h"
#include "common/MessageBoxes.h"
#include "settings/HotKeyEdit.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

TfrmOptions::TfrmOptions(Settings& settings, TOptionsHotKey hotKey, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_hotKey(std::move(hotKey))
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    // A fixed dialog frame: a close box, but neither resizing nor minimise and maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    CreateControls();
    FormCreate();
}

void TfrmOptions::CreateControls()
{
    // Grown from the design's pixels for the desktop's font, so no text is cut off.
    const TDesignScale scale = DesignScaleOf(font());
    setFixedSize(scale(QSize(267, 305)));
    chkAutoAppend = new QCheckBox(QStringLiteral("Auto Append String At Paste:"), this);
    chkAutoAppend->setObjectName(QStringLiteral("chkAutoAppend"));
    chkAutoAppend->setGeometry(scale(QRect(21, 33, 161, 17)));
    txtAutoAppend = new QLineEdit(this);
    txtAutoAppend->setObjectName(QStringLiteral("txtAutoAppend"));
    txtAutoAppend->setGeometry(scale(QRect(185, 31, 65, 21)));
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(scale(QRect(37, 268, 75, 25)));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(scale(QRect(157, 268, 75, 25)));
    btnCancel->setAutoDefault(false);
    hkActivation = new THotKeyEdit(this);
    hkActivation->setObjectName(QStringLiteral("hkActivation"));
    hkActivation->setGeometry(scale(QRect(125, 61, 125, 19)));
    lblActivation = new QLabel(QStringLiteral("Activation Hot Key:"), this);
    lblActivation->setObjectName(QStringLiteral("lblActivation"));
    lblActivation->setGeometry(scale(QRect(24, 64, 91, 13)));

    setTabOrder(chkAutoAppend, txtAutoAppend);
    setTabOrder(txtAutoAppend, btnOK);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, hkActivation);

    // The first control in the tab order has the focus when the dialog opens.
    chkAutoAppend->setFocus();

    connect(btnOK, &QPushButton::clicked, this, &TfrmOptions::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmOptions::reject);
}

void TfrmOptions::FormCreate()
{
    chkAutoAppend->setChecked(m_settings.AutoAppend);
    // As stored: escape codes such as \cr stay as the user typed them.
    txtAutoAppend->setText(m_settings.AutoAppendStr);
    hkActivation->SetHotKey(quint16(m_settings.ActivationKey & 0xFFFF));
    // Released while the dialog is open, so pressing the current combination in the key
    // field records it instead of calling up the main window.
    if (m_hotKey.Release)
        m_hotKey.Release();
}

void TfrmOptions::btnOKClick()
{
    m_settings.AutoAppend = chkAutoAppend->isChecked();
    m_settings.AutoAppendStr = txtAutoAppend->text();
    m_settings.ActivationKey = qint32(hkActivation->HotKey());
    // A refused combination is still kept: it is saved at exit and reported at next start.
    RegisterHotKey();
    accept();
}

void TfrmOptions::reject()
{
    // The settings were never touched; only the hotkey released at opening comes back.
    RegisterHotKey();
    QDialog::reject();
}

void TfrmOptions::RegisterHotKey()
{
    const bool ok = m_hotKey.Register && m_hotKey.Register(quint16(m_settings.ActivationKey & 0xFFFF));
    if (!ok)
        ShowNotice(QStringLiteral("Unable register hot key!"), this);
}

void TfrmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (owner == nullptr || !owner->isVisible())
        return;
    // Outer frame centred over the main window's outer frame. Qt's own placement centres
    // over the client area with a guessed frame and ends up a title bar too high; the
    // dialog's frame is unknown until it is mapped, but it has the main window's decoration.
    const QRect outer = owner->frameGeometry();
    const QRect inner = owner->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const QSize frameSize = size().grownBy(frame);
    const QPoint frameTopLeft = outer.center() - QPoint(frameSize.width() / 2, frameSize.height() / 2);
    // The client geometry, not move(): before the first map Qt can only place the client.
    setGeometry(QRect(frameTopLeft + QPoint(frame.left(), frame.top()), size()));
}

void TfrmOptions::keyPressEvent(QKeyEvent* event)
{
    // Escape does not close this dialog; it is closed with its buttons or its close box.
    if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
