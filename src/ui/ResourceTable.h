#pragma once

#include "ui/Images.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <functional>

namespace ui {

// Hands each row of a table (blank lines and '#' comments skipped) split into its cells, with its
// line number, to row, which returns false with a reason to stop. False with "line <n>: <reason>"
// in *error then.
bool forEachTableRow(const QString& text,
    const std::function<bool(const QStringList& cells, int line, QString* reason)>& row, QString* error);

// The table compiled in at path, parsed by Table::parse (given extra after the text and error).
// The tables are part of the build, so a missing or broken one stops the program with the reason
// rather than show a half-built window.
template <class Table, class... Extra> Table loadResourceTable(const QString& path, const Extra&... extra)
{
    ensureResources();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("%s is missing from the program's resources", qPrintable(path));
    }
    QString error;
    auto table = Table::parse(QString::fromUtf8(file.readAll()), &error, extra...);
    if (!table) {
        qFatal("%s is broken: %s", qPrintable(path), qPrintable(error));
    }
    return *table;
}

} // namespace ui
