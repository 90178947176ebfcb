#include "store/store_url.h"

#include <QUrl>
#include <QUrlQuery>

namespace gang::store {

namespace {

const char* const Password_Refused =
    "the store's URL holds a password: leave it out and put it in ~/.pgpass "
    "(or PGPASSFILE, PGPASSWORD), where libpq finds it";

} // namespace

bool Parse_Store_Url(const std::string& text, TStore_Url& url, std::string& error)
{
    const QUrl parsed(QString::fromStdString(text), QUrl::StrictMode);
    // Checked before anything else: no message below repeats the URL.
    if (!parsed.password().isEmpty() || text.find(":@") != std::string::npos) {
        error = Password_Refused;
        return false;
    }
    const QString scheme = parsed.scheme();
    if (!parsed.isValid() || (scheme != "postgresql" && scheme != "postgres")) {
        error = "the store wants a PostgreSQL URL such as postgresql://gang@db.example/line or "
                "postgresql://gang@/line?host=/run/postgresql";
        return false;
    }
    TStore_Url result;
    result.Host = parsed.host().toStdString();
    result.Port = parsed.port(-1);
    result.User = parsed.userName().toStdString();
    QString database = parsed.path();
    if (database.startsWith('/'))
        database.remove(0, 1);
    result.Database = database.toStdString();
    const QUrlQuery query(parsed);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == "password") {
            error = Password_Refused;
            return false;
        }
        if (key == "host")
            result.Host = value.toStdString();
        else if (key == "port")
            result.Port = value.toInt();
        else if (key == "user")
            result.User = value.toStdString();
        else if (key == "dbname")
            result.Database = value.toStdString();
        else
            result.Options.emplace_back(key.toStdString(), value.toStdString());
    }
    if (result.Database.empty()) {
        error = "the store's URL names no database: postgresql://USER@HOST/DATABASE";
        return false;
    }
    url = std::move(result);
    return true;
}

} // namespace gang::store
