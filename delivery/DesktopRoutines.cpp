#include "delivery/DesktopRoutines.h"

#include "platform/Platform.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLoggingCategory>
#include <QMimeData>

#include <algorithm>
#include <array>
#include <utility>

Q_DECLARE_LOGGING_CATEGORY(lcDelivery)

namespace {

// The target asks for the text as soon as it handles the paste keys; a second is far beyond
// what a program that answers at all needs, and short enough that the user's own clipboard is
// back before they reach for it.
constexpr int RestoreDelayMs = 1000;

// Names the X11 selection protocol lists among the formats; they describe the offer itself,
// and offered again they would be answered with stale data.
constexpr std::array ProtocolTargets {
    "TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "DELETE", "INSERT_SELECTION", "INSERT_PROPERTY"};

// Qt's decoded image: it has no bytes of its own and is taken as an image below.
constexpr auto QtImageFormat = "application/x-qt-image";

std::unique_ptr<QMimeData> CopyOfMimeData(const QMimeData& source)
{
    auto copy = std::make_unique<QMimeData>();
    bool hasImageBytes = false;
    for (const QString& format : source.formats()) {
        if (format == QLatin1String(QtImageFormat)
            || std::any_of(ProtocolTargets.begin(), ProtocolTargets.end(),
                [&format](const char* target) { return format == QLatin1String(target); }))
            continue;
        const QByteArray data = source.data(format);
        if (data.isEmpty())
            continue;
        copy->setData(format, data);
        hasImageBytes = hasImageBytes || format.startsWith(QLatin1String("image/"));
    }
    // An image this program put there itself exists only decoded.
    if (!hasImageBytes && source.hasImage())
        copy->setImageData(source.imageData());
    return copy;
}

} // namespace

bool SetClipboardText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    clipboard->setText(text, QClipboard::Clipboard);
    // On X11 the text is handed out later, on request; reading it back tells whether this
    // program really became the owner of the selection.
    return clipboard->text(QClipboard::Clipboard) == text;
}

bool SendPasteKeys(Platform& desktop, quint16 keys)
{
    return desktop.SendPasteKeys(keys);
}

quint32 GetFocusedWindow(Platform& desktop)
{
    return desktop.FocusedWindow();
}

DesktopClipboardKeeper::DesktopClipboardKeeper()
{
    m_restoreTimer.setSingleShot(true);
    m_restoreTimer.setInterval(RestoreDelayMs);
    QObject::connect(&m_restoreTimer, &QTimer::timeout, &m_restoreTimer, [this] { restore(); });
}

DesktopClipboardKeeper::~DesktopClipboardKeeper() = default;

void DesktopClipboardKeeper::keep()
{
    // A restore still waiting belongs to a paste a moment ago: the clipboard holds that
    // paste's text now, and what the user had before it is the copy already kept.
    if (m_restoreTimer.isActive()) {
        m_restoreTimer.stop();
        return;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* current = clipboard != nullptr ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    m_kept = current != nullptr ? CopyOfMimeData(*current) : std::make_unique<QMimeData>();
    qCDebug(lcDelivery) << "kept the clipboard's formats" << m_kept->formats();
}

void DesktopClipboardKeeper::restoreAfterPaste(const QString& pasted)
{
    if (m_kept == nullptr)
        return;
    m_pasted = pasted;
    m_restoreTimer.start();
}

void DesktopClipboardKeeper::forget()
{
    m_restoreTimer.stop();
    m_kept.reset();
}

void DesktopClipboardKeeper::restore()
{
    std::unique_ptr<QMimeData> kept = std::exchange(m_kept, nullptr);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr || kept == nullptr)
        return;
    // Whatever was copied since the paste, here or in another program, is what the user
    // wants on the clipboard now.
    if (!clipboard->ownsClipboard() || clipboard->text(QClipboard::Clipboard) != m_pasted) {
        qCInfo(lcDelivery) << "the clipboard changed after the paste; it is not restored";
        return;
    }
    if (kept->formats().isEmpty()) {
        // It held nothing before, and holds nothing again.
        clipboard->clear(QClipboard::Clipboard);
        qCInfo(lcDelivery) << "the clipboard was empty before the paste and is emptied again";
        return;
    }
    clipboard->setMimeData(kept.release(), QClipboard::Clipboard);
    if (!clipboard->ownsClipboard())
        qCWarning(lcDelivery) << "the clipboard did not take back what it held before the paste";
    else
        qCInfo(lcDelivery) << "the clipboard holds again what it held before the paste";
}
