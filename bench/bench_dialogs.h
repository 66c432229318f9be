#pragma once

// Dialogs for a benchmark's main window: every question answered yes, every
// file dialog answered with `path`, messages printed, printing declined.

#include <QFont>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

#include "core/dialogs.h"

namespace nesmo::bench {

class AnsweringDialogs final : public Dialogs {
public:
    void message(const QString& t) override { std::printf("message: %s\n", qPrintable(t)); }
    void error(const QString& t) override { std::printf("error: %s\n", qPrintable(t)); }
    bool askYesNo(const QString&, const QString&, Icon) override { return true; }
    bool askOkCancel(const QString&, const QString&, Icon) override { return true; }
    std::optional<int> choosePort(const QStringList&) override { return std::nullopt; }
    QString openFileName(const FileDialogSetup&) override { return path; }
    QString saveFileName(const FileDialogSetup&) override { return path; }
    bool print(QPrinter&) override { return false; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
    QString path;
};

}  // namespace nesmo::bench
