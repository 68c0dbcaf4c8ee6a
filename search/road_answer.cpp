#include "search/road_answer.h"

#include <QStringList>
#include <cmath>

#include "mapdata/catalogue.h"

const QString kNoRoadNetworkText =
    QStringLiteral("Rota por estrada indisponível: a pasta de dados não tem a malha rodoviária.");
const QString kUnusableRoadNetworkText =
    QStringLiteral("Rota por estrada indisponível: a malha rodoviária não pôde ser lida.");

QString OneDecimalKm(long double kilometres, const QString &decimalSeparator)
{
    const long long tenths = std::llrintl(kilometres * 10);
    return QStringLiteral("%1%2%3 km").arg(tenths / 10).arg(decimalSeparator).arg(tenths % 10);
}

QString RoadAnswerText(const TRoadRoute &route, const QString &originName, const QString &destinationName,
                       const QString &decimalSeparator)
{
    if (route.Status == TRoadRoute::TStatus::CityNotLocated)
        return kCityNotLocatedMessage;
    const auto km = [&decimalSeparator](long double kilometres) { return OneDecimalKm(kilometres, decimalSeparator); };
    QStringList lines;
    lines << QStringLiteral("Por estrada: ") +
                 (route.Status == TRoadRoute::TStatus::Found ? km(route.RoadKm()) : kNoRoadLinkText);
    lines << QStringLiteral("Em linha reta: ") + km(route.AirKm);
    if (route.Status != TRoadRoute::TStatus::Found)
        return lines.join(QLatin1Char('\n'));
    lines << QStringLiteral("Fora da malha (até a rodovia mais próxima): ") + km(route.OffNetworkKm());
    const auto offNetwork = [&](const TRouteEnd &end, const QString &name) {
        if (end.OffNetwork())
            lines << QStringLiteral("%1: %2, %3").arg(name, kOffNetworkText, km(end.JoinKm()));
    };
    offNetwork(route.Origin, originName);
    offNetwork(route.Destination, destinationName);
    lines << QStringLiteral("Rodovias:");
    for (const TRouteRoad &road : route.Path.Roads)
        lines << road.Name + QLatin1Char(' ') + km(road.Km());
    return lines.join(QLatin1Char('\n'));
}
