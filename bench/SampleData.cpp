#include "SampleData.h"

#include "platform/LocaleText.h"
#include "store/NumericText.h"
#include "store/SalesDatabase.h"
#include "store/ValueLists.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <sqlite3.h>

namespace {

constexpr std::array CompanyNames{
    "Northwind",   "Bluepeak",  "Harborview",  "Crestline",   "Ironwood",    "Silverline",
    "Oakridge",    "Summit",    "Redstone",    "Lakeside",    "Brightwater", "Granite",
    "Pinecrest",   "Westfield", "Eastgate",    "Sterling",    "Meridian",    "Horizon",
    "Copperfield", "Evergreen", "Riverbend",   "Stonebridge", "Fairhaven",   "Maple Leaf",
    "Highland",    "Bayshore",  "Clearview",   "Kingsley",    "Ashford",     "Windmill",
    "Falcon",      "Pioneer",   "Cedar Creek", "Atlas",       "Beacon",      "Lighthouse",
    "Mosaic",      "Quarry",    "Tidewater",   "Vantage"};
constexpr std::array CompanyTrades{
    "Logistics", "Software",     "Medical Group",  "Manufacturing", "Foods",    "Engineering",
    "Insurance", "Realty",       "Health Systems", "Credit Union",  "Airlines", "Hotels",
    "Pharma",    "Construction", "Energy",         "Retail"};
constexpr std::array CompanyForms{"", " Inc.", " LLC", " Corp.", " Ltd.", " & Co."};
constexpr int CompanyCount = 640;

constexpr std::array FirstNames{"Maria", "James",  "Aisha",   "Robert", "Chen",    "Linda",
                                "Tomás", "Sarah",  "David",   "Priya",  "Michael", "Emma",
                                "Kwame", "Olivia", "Daniel",  "Sofia",  "Hiroshi", "Grace",
                                "Lukas", "Fatima", "William", "Nora",   "Ahmed",   "Julia",
                                "Ethan", "Ingrid", "Carlos",  "Hannah", "Viktor",  "Zoe"};
constexpr std::array LastNames{
    "Garcia",  "O'Brien",  "Nakamura", "Schmidt",  "Okafor",    "Johnson", "Rossi",     "Kowalski",
    "Nguyen",  "Andersen", "Patel",    "Dubois",   "Fernandes", "Murphy",  "Lindqvist", "Brown",
    "Haddad",  "Moreau",   "Walsh",    "Kim",      "Novak",     "Silva",   "Thompson",  "Weber",
    "Ivanova", "Mensah",   "Clarke",   "Yamamoto", "Costa",     "Bauer"};
constexpr std::array Departments{
    "Purchasing",       "IT",       "Finance",         "Operations",  "Facilities",
    "Marketing",        "Sales",    "Human Resources", "Engineering", "Logistics",
    "Customer Service", "Research", "Legal",           "Procurement", "Executive Office"};
constexpr std::array Cities{"Denver",     "Austin",     "Portland",  "Columbus", "Raleigh",
                            "Phoenix",    "Madison",    "Tampa",     "Boise",    "Omaha",
                            "Sacramento", "Pittsburgh", "Nashville", "Spokane",  "Richmond"};
constexpr std::array SalesOwners{"Jordan Ellis", "Priya Raman", "Marcus Hale"};

struct Product {
    const char* name;
    double price;
};
constexpr std::array Products{Product{"Server Rack R740", 8450},
                              Product{"Laptop Pro 14", 1249},
                              Product{"Docking Station", 189},
                              Product{"Annual Support Plan", 2400},
                              Product{"Network Switch 48-Port", 3150},
                              Product{"Firewall Appliance", 4890},
                              Product{"Office Suite License", 249},
                              Product{"Backup Storage 20 TB", 6750},
                              Product{"Wireless Access Point", 329},
                              Product{"Monitor 27-inch", 379},
                              Product{"Training Day (on site)", 1850},
                              Product{"Installation Service", 950},
                              Product{"Color Printer MFP", 2190},
                              Product{"VoIP Phone", 159},
                              Product{"UPS 3000 VA", 1399},
                              Product{"CRM Seat (1 year)", 780},
                              Product{"Thin Client", 429},
                              Product{"Managed Security (month)", 1100},
                              Product{"Conference Room Kit", 3650},
                              Product{"Tablet 11-inch", 649}};

// Probability positions (in ValueLists::Probability) that fit each stage.
constexpr std::array<std::array<int, 2>, 7> ProbabilitiesOfStage{
    {{1, 1}, {1, 2}, {2, 2}, {2, 3}, {3, 3}, {3, 4}, {4, 5}}};

QString latin(const char* text) {
    return QString::fromUtf8(text);
}

QString companyName(int company) {
    const auto trade = static_cast<size_t>((company / 40 + company * 7) % CompanyTrades.size());
    return latin(CompanyNames[static_cast<size_t>(company) % CompanyNames.size()]) +
           QLatin1Char(' ') + latin(CompanyTrades[trade]) +
           latin(CompanyForms[static_cast<size_t>(company / 3) % CompanyForms.size()]);
}

QString lastName(int company, int person) {
    return latin(LastNames[static_cast<size_t>(company * 11 + person * 17) % LastNames.size()]);
}

} // namespace

SampleData::SampleData(unsigned seed) : m_random(seed), m_now(QDateTime::currentDateTime()) {}

int SampleData::uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(m_random);
}

QString SampleData::firstName(int company, int person) const {
    return latin(FirstNames[static_cast<size_t>(company * 7 + person * 13) % FirstNames.size()]);
}

QString SampleData::note(const QString& first, const QDate& created, const QDate& order) {
    const QString when = LocaleText::shortDate(created.addDays(uniform(1, 20)));
    const QString due = LocaleText::shortDate(order);
    switch (uniform(0, 13)) {
    case 0:
        return QStringLiteral("Called %1 on %2; wants a revised quote with a volume discount.")
            .arg(first, when);
    case 1:
        return QStringLiteral("%1 asked for references from two customers in their industry.")
            .arg(first);
    case 2:
        return QStringLiteral("Budget approved for Q%1. Waiting on purchasing to issue the PO.")
            .arg(uniform(1, 4));
    case 3:
        return QStringLiteral("Competitor offered %1% less; stress our service record and uptime.")
            .arg(uniform(5, 20));
    case 4:
        return QStringLiteral("Demo went well. %1 will present it to the board on %2.")
            .arg(first, when);
    case 5:
        return QStringLiteral("Sent proposal v%1. Follow up next week.").arg(uniform(2, 5));
    case 6:
        return QStringLiteral("Decision moved to next quarter because of a reorganisation.");
    case 7:
        return QStringLiteral("Needs delivery before %1; check stock with the warehouse.").arg(due);
    case 8:
        return QStringLiteral("Met %1 at the trade show; interested in a pilot.").arg(first);
    case 9:
        return QStringLiteral("Legal is reviewing our terms; expect redlines by %1.").arg(when);
    case 10:
        return QStringLiteral("Price accepted, %1 wants net-60 payment terms.").arg(first);
    case 11:
        return QStringLiteral("Left voicemail for %1 twice. Try the assistant instead.").arg(first);
    default:
        return QString();
    }
}

Opportunity SampleData::next() {
    Opportunity o(Opportunity::Blank{});
    // Bigger customers come back more often.
    const int company = std::min(uniform(0, CompanyCount - 1), uniform(0, CompanyCount - 1));
    const int person = uniform(0, 2);
    const QString first = firstName(company, person);
    const auto& department =
        Departments[static_cast<size_t>(company * 3 + person) % Departments.size()];
    const Product& product = pick(Products);
    const int quantity = product.price > 3000   ? uniform(1, 8)
                         : product.price > 1000 ? uniform(1, 24)
                                                : uniform(5, 250);

    const QDateTime created(m_now.date().addDays(-uniform(0, 3 * 365)),
                            QTime(uniform(8, 17), uniform(0, 59), uniform(0, 59)));
    const QDate order = created.date().addDays(uniform(15, 240));
    const int stage = uniform(0, 6);
    const auto& fitting = ProbabilitiesOfStage[static_cast<size_t>(stage)];
    // Some deals are lost whatever their stage.
    const int probability = uniform(0, 11) == 0 ? 0 : uniform(fitting[0], fitting[1]);

    o.setSalesOwner(latin(pick(SalesOwners)));
    o.setDateCreated(created.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    o.setCompany(companyName(company));
    o.setContact(first + QLatin1Char(' ') + lastName(company, person));
    o.setDepartment(latin(department));
    const QString productName = latin(product.name);
    const QString city = latin(pick(Cities));
    switch (uniform(0, 5)) {
    case 0:
        o.setDescription(
            QStringLiteral("%1 rollout for the %2 department").arg(productName, latin(department)));
        break;
    case 1:
        o.setDescription(QStringLiteral("Replacement of %1 ageing units at the %2 site")
                             .arg(quantity)
                             .arg(city));
        break;
    case 2:
        o.setDescription(
            QStringLiteral("Expansion of %1 to the new %2 office").arg(productName, city));
        break;
    case 3:
        o.setDescription(QStringLiteral("Renewal of the %1 contract for the %2 budget year")
                             .arg(productName)
                             .arg(order.year()));
        break;
    case 4:
        o.setDescription(QStringLiteral("Pilot: %1 x %2 for %3")
                             .arg(QString::number(quantity), productName, latin(department)));
        break;
    default:
        o.setDescription(QStringLiteral("Quarter-end upgrade of %1 equipment in %2")
                             .arg(latin(department), city));
        break;
    }
    o.setNote(note(first, created.date(), order));
    o.setProduct(productName);
    o.setUnitPrice(LocaleText::number(product.price));
    o.setQuantity(numericText(LocaleText::number(quantity)));
    o.setRevenue(LocaleText::currency(product.price * quantity));
    o.setSource(pick(ValueLists::source()));
    o.setStage(ValueLists::stage().at(stage));
    o.setProbability(ValueLists::probability().at(probability));
    o.setForecast(probability >= 3 ? QStringLiteral("Yes") : QStringLiteral("No"));
    o.setOrderDay(QString::number(order.day()).rightJustified(2, QLatin1Char('0')));
    o.setOrderMonth(LocaleText::monthName(order.month()));
    o.setOrderYear(QString::number(order.year()));
    return o;
}

QString SampleData::writeDatabase(const QString& path, int count, unsigned seed) {
    if (QFileInfo::exists(path))
        return QStringLiteral("%1 exists already; choose a new file name").arg(path);
    if (const auto created = SalesDatabase::create(path); !created)
        return created.message();

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFileInfo(path).absoluteFilePath().toUtf8().constData(), &db,
                        SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const QString cause = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return cause;
    }
    sqlite3_stmt* insert = nullptr;
    int rc = sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(
            db,
            "INSERT INTO Sales (RecordNumber, SalesOwner, DateCreated, Company, Contact, "
            "Department, Description, Note, Product, UnitPrice, Quantity, Revenue, Source, Stage, "
            "Probability, Forecast, OrderDay, OrderMonth, OrderYear) VALUES (?1, ?2, ?3, ?4, ?5, "
            "?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19)",
            -1, &insert, nullptr);
    SampleData data(seed);
    for (int number = 1; rc == SQLITE_OK && number <= count; ++number) {
        const Opportunity o = data.next();
        const QString texts[] = {o.salesOwner(), o.dateCreated(), o.company(),  o.contact(),
                                 o.department(), o.description(), o.note(),     o.product(),
                                 o.unitPrice(),  o.quantity(),    o.revenue(),  o.source(),
                                 o.stage(),      o.probability(), o.forecast(), o.orderDay(),
                                 o.orderMonth(), o.orderYear()};
        sqlite3_bind_int(insert, 1, number);
        int parameter = 2;
        for (const QString& text : texts) {
            const QByteArray utf8 = text.toUtf8();
            sqlite3_bind_text(insert, parameter++, utf8.constData(), static_cast<int>(utf8.size()),
                              SQLITE_TRANSIENT);
        }
        rc = sqlite3_step(insert);
        if (rc == SQLITE_DONE)
            rc = sqlite3_reset(insert);
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const QString cause = rc == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(insert);
    sqlite3_close(db);
    // The file is ours (NewDatabase made it): leave no half-filled sample behind.
    if (!cause.isEmpty())
        QFile::remove(path);
    return cause;
}
