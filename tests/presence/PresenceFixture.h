#pragma once
// A main window on a fake desktop, with its settings and library in a private folder and
// every message box recorded instead of shown.

#include "app/MainForm.h"
#include "common/MessageBoxes.h"
#include "platform/FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <memory>

struct RecordedBox {
    BoxKind kind;
    QString text;
};

class PresenceFixture final {
public:
    PresenceFixture()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
        m_library = m_dir.path() + QStringLiteral("/pastewise.mdb");
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(m_library);
            db.open();
            QSqlQuery(db).exec(QStringLiteral(
                "CREATE TABLE \"Mail\" (name TEXT NOT NULL PRIMARY KEY COLLATE NOCASE, value TEXT)"));
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        SetBoxObserver([this](BoxKind kind, const QString&, const QString& text) {
            boxes.push_back({kind, text});
            return true;
        });
    }
    ~PresenceFixture()
    {
        if (form)
            form->FormDestroy();
        form.reset();
        SetBoxObserver({});
    }

    // Settings lines in the registry-export form, e.g. "\"TrayIcon\"=dword:00000000".
    void writeSettings(const QStringList& lines)
    {
        const QString folder = m_dir.path() + QStringLiteral("/Quillmoor/Pastewise");
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/Settings.reg"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                      "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Pastewise\\Settings]\r\n");
        for (const QString& line : lines)
            text += line + QStringLiteral("\r\n");
        file.write(text.toUtf8());
    }

    // With realDesktop the form makes its own X11 platform, for tests on a real X server.
    TfrmMain& start(bool realDesktop = false)
    {
        form = std::make_unique<TfrmMain>(m_library, realDesktop ? nullptr : &desktop);
        form->FormCreate();
        form->show();
        return *form;
    }

    QStringList noticeTexts() const
    {
        QStringList texts;
        for (const RecordedBox& box : boxes)
            texts << box.text;
        return texts;
    }

    FakePlatform desktop;
    std::unique_ptr<TfrmMain> form;
    std::vector<RecordedBox> boxes;

private:
    QTemporaryDir m_dir;
    QString m_library;
};
