#include "app/CallUpCommand.h"
#include "app/MainForm.h"
#include "common/MessageBoxes.h"
#include "common/ShortcutValue.h"
#include "platform/Platform.h"
#include "settings/Registry.h"

#include <QAction>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMenu>

namespace {
Q_LOGGING_CATEGORY(lcAbilities, "pastewise.desktop")

// Set once the advice has been shown, so it is given once per user, not at every start.
constexpr QLatin1String CallUpAdviceShown("CallUpCommandAdvised");
// The desktop's token for the user's permission to send paste keys, so it is asked once.
constexpr QLatin1String SendingKeysGrant("RemoteDesktopGrant");
} // namespace

void TfrmMain::ApplyDesktopAbilities()
{
    const PlatformAbilities abilities = Desktop().Abilities();
    if (!abilities.keepsOnTop) {
        // The setting keeps its value for a desktop that has the band; here the command says
        // why it does nothing rather than doing nothing silently.
        const QString why
            = QStringLiteral("Always On Top is not available: this desktop does not let programs keep "
                             "their windows above others.");
        actTopMost->setEnabled(false);
        actTopMost->setToolTip(why);
        actTopMost->setStatusTip(why);
        for (QObject* shownIn : actTopMost->associatedObjects()) {
            if (auto* menu = qobject_cast<QMenu*>(shownIn))
                menu->setToolTipsVisible(true);
        }
    }
    if (SettingsRegistry != nullptr) {
        // Settings routines do not throw; a token that cannot be written costs a question.
        connect(&Desktop(), &Platform::sendingKeysGranted, this, [this](const QString& grant) {
            if (SettingsRegistry != nullptr
                && !SettingsRegistry->WriteRegString(QString(SendingKeysGrant), grant))
                qCWarning(lcAbilities) << "the permission to send paste keys could not be kept; the "
                                          "desktop will ask again at the next start";
        });
        Desktop().PrepareSendingKeys(SettingsRegistry->ReadRegString(QString(SendingKeysGrant), QString()));
    }
    qCInfo(lcAbilities) << "this desktop: focus tracking" << abilities.tracksFocus << "global hotkey"
                        << abilities.grabsHotKey << "paste keys" << abilities.sendsKeys << "always on top"
                        << abilities.keepsOnTop << "window placement" << abilities.placesWindows;
}

void TfrmMain::AdviseCallUpCommand()
{
    const QString command = CallUpCommand(QCoreApplication::applicationFilePath());
    qCInfo(lcAbilities).noquote() << "no global hotkey on this desktop; bind this command instead:"
                                  << command;
    if (SettingsRegistry == nullptr || SettingsRegistry->ReadRegBool(QString(CallUpAdviceShown), false))
        return;
    ShowNotice(CallUpCommandAdvice(ShortcutText(quint16(m_settings.ActivationKey & 0xFFFF)), command), this);
    SettingsRegistry->WriteRegBool(QString(CallUpAdviceShown), true);
}
