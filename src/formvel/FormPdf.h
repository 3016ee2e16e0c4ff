#pragma once

#include <QString>

#include <vector>

class FormDocument;
class QPagedPaintDevice;
class QPainter;

// Writes the documents into one PDF, each starting on a new page; false with a Polish message on
// failure. Text stays text (DejaVu Sans embedded, searchable); lines are vectors.
bool writeFormsPdf(const QString& path, const std::vector<const FormDocument*>& documents, QString* error);

// Draws pages firstPage..lastPage (1-based, clipped to the document) of one document on a paged
// device that a painter is already open on, a new device page before every page but the first
// one drawn (`firstOnDevice` says whether nothing has been drawn on it yet). Returns the number
// of pages drawn.
int DrawFormPages(QPainter& painter, QPagedPaintDevice& device, const FormDocument& document, int firstPage,
                  int lastPage, bool& firstOnDevice);
