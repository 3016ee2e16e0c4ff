#include "forms/TListaCreateFormul.h"

void TListaCreateFormul::setValue(const QByteArray& name, const QByteArray& value) {
    for (QByteArray& line : lines_) {
        const qsizetype equals = line.indexOf('=');
        const QByteArrayView lineName = equals < 0 ? QByteArrayView(line) : QByteArrayView(line).first(equals);
        if (lineName.compare(name, Qt::CaseInsensitive) == 0) {
            line = name + '=' + value;
            return;
        }
    }
    lines_.append(name + '=' + value);
}

void TListaCreateFormul::AddParam(std::int32_t number, const QByteArray& a, const QByteArray& b,
                                  const QByteArray& c) {
    const QByteArray prefix = QByteArray::number(number) + '_';
    for (const QByteArray* text : {&a, &b, &c}) setValue(prefix + *text, "1");
}

void TListaCreateFormul::DeleteParam(std::int32_t number) {
    const QByteArray prefix = QByteArray::number(number) + '_';
    for (qsizetype i = lines_.size() - 1; i >= 0; --i)
        if (lines_[i].startsWith(prefix)) lines_.removeAt(i);
}
