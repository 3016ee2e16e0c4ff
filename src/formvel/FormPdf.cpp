#include "formvel/FormPdf.h"

#include "formvel/FormDocument.h"
#include "formvel/FormRenderer.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

int DrawFormPages(QPainter& painter, QPagedPaintDevice& device, const FormDocument& document, int firstPage,
                  int lastPage, bool& firstOnDevice) {
    const int first = std::max(1, firstPage);
    const int last = std::min(document.pageCount(), lastPage);
    int drawn = 0;
    const QRectF pageRect = painter.viewport();
    for (int page = first; page <= last; ++page) {
        if (!firstOnDevice && !device.newPage()) return drawn;
        firstOnDevice = false;
        painter.save();
        BeginFormPage(painter, pageRect);
        DrawFormPage(painter, document, page - 1);
        painter.restore();
        ++drawn;
    }
    return drawn;
}

bool writeFormsPdf(const QString& path, const std::vector<const FormDocument*>& documents, QString* error) {
    auto fail = [&](const QString& message) {
        if (error) *error = message;
        return false;
    };
    if (documents.empty()) return fail(QStringLiteral("Nie ma żadnego formularza do zapisania."));
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return fail(QStringLiteral("Nie można zapisać pliku „%1”: folder nie istnieje.").arg(QDir::toNativeSeparators(path)));
    const QString temporary = path + QStringLiteral(".part");
    {
        QPdfWriter writer(temporary);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setResolution(600);
        writer.setCreator(QStringLiteral("Fiskon – formularze"));
        writer.setTitle(documents.front()->layout().formName);
        QPainter painter;
        if (!painter.begin(&writer))
            return fail(QStringLiteral("Nie można zapisać pliku „%1”: brak uprawnień albo miejsca na dysku.")
                            .arg(QDir::toNativeSeparators(path)));
        bool first = true;
        for (const FormDocument* document : documents) DrawFormPages(painter, writer, *document, 1, document->pageCount(), first);
        if (!painter.end()) {
            QFile::remove(temporary);
            return fail(QStringLiteral("Nie udało się zapisać pliku „%1”.").arg(QDir::toNativeSeparators(path)));
        }
    }
    QFile::remove(path);
    if (!QFile::rename(temporary, path)) {
        QFile::remove(temporary);
        return fail(QStringLiteral("Nie można zapisać pliku „%1”: brak uprawnień albo plik jest zajęty.")
                        .arg(QDir::toNativeSeparators(path)));
    }
    return true;
}
