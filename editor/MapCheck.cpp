#include "editor/MapCheck.h"

#include "editor/MapFile.h"

int checkMapFiles(const QStringList& files, QTextStream& out)
{
    if (files.isEmpty()) {
        out << "mapedit: --check needs at least one FILE\n";
        out.flush();
        return 1;
    }
    int status = 0;
    for (const QString& file : files) {
        const MapRead read = readMapFile(file);
        for (const QString& error : read.errors) out << error << '\n';
        if (!read.map) status = 1;
    }
    out.flush();
    return status;
}
