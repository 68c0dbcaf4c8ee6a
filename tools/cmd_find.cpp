// tovral-tool find IMG_FOLDER TEXT [--uf XX] [--json]: the cities the viewer's search box
// suggests for a typed text, best first, from the data folder's city catalogue: one line
// "Name (UF)" each, or with --json a list of {name, uf, row}, row being the city's index in
// the catalogue as the viewer sorts it. --uf names the current state, which comes first
// among equals.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "mapdata/catalogue.h"
#include "mapdata/city_index.h"
#include "tools/tool_arguments.h"

namespace {
int RunFind(const QStringList &arguments)
{
    const TToolArguments args(QStringLiteral("find"), arguments, {QStringLiteral("--uf")},
                              {QStringLiteral("--json")});
    if (args.Positional.size() != 2)
        args.Fail(QStringLiteral("expected IMG_FOLDER TEXT"));
    TSortedStrings rows;
    rows.Assign(ReadCatalogueLines(QDir(args.Positional[0]).filePath(QStringLiteral("txt/cidades.txt"))));
    const TCityIndex index(rows);
    TCityQuery query;
    query.Text = args.Positional[1];
    query.PreferredUF = args.Value(QStringLiteral("--uf")).value_or(QString());
    const std::vector<TCitySuggestion> suggestions = index.Suggest(query);

    QTextStream out(stdout);
    if (args.Flag(QStringLiteral("--json"))) {
        QJsonArray list;
        for (const TCitySuggestion &suggestion : suggestions)
            list.append(QJsonObject{{QStringLiteral("name"), suggestion.Name},
                                    {QStringLiteral("uf"), suggestion.UF},
                                    {QStringLiteral("row"), suggestion.Row}});
        out << QJsonDocument(list).toJson(QJsonDocument::Compact) << '\n';
        return 0;
    }
    for (const TCitySuggestion &suggestion : suggestions)
        out << CitySuggestionText(suggestion) << '\n';
    return 0;
}
} // namespace

TOOL_COMMAND("find", "find IMG_FOLDER TEXT [--uf XX] [--json]  the cities the search box suggests", RunFind);
