// `mapedit --check FILE...`: reads each file as a map file and prints its errors, one per
// line, compiler style ("FILE:LINE:COLUMN: message"); a good file prints nothing.
#pragma once

#include <QStringList>
#include <QTextStream>

// 0 when every file is a good map file, 1 when any is not or no file was named.
int checkMapFiles(const QStringList& files, QTextStream& out);
