#include "edit/Voivodeships.h"

const QStringList& VoivodeshipNames() {
    static const QStringList names = {
        QStringLiteral("DOLNOŚLĄSKIE"),   QStringLiteral("KUJAWSKO-POMORSKIE"),
        QStringLiteral("LUBELSKIE"),      QStringLiteral("LUBUSKIE"),
        QStringLiteral("ŁÓDZKIE"),        QStringLiteral("MAŁOPOLSKIE"),
        QStringLiteral("MAZOWIECKIE"),    QStringLiteral("OPOLSKIE"),
        QStringLiteral("PODKARPACKIE"),   QStringLiteral("PODLASKIE"),
        QStringLiteral("POMORSKIE"),      QStringLiteral("ŚLĄSKIE"),
        QStringLiteral("ŚWIĘTOKRZYSKIE"), QStringLiteral("WARMIŃSKO-MAZURSKIE"),
        QStringLiteral("WIELKOPOLSKIE"),  QStringLiteral("ZACHODNIOPOMORSKIE"),
    };
    return names;
}

int VoivodeshipIndex(const QString& name) {
    const QStringList& names = VoivodeshipNames();
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
