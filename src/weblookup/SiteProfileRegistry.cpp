#include "weblookup/SiteProfileRegistry.h"

#include "weblookup/CollectorScript.h"
#include "weblookup/PageSnapshot.h"
#include "weblookup/SiteProfileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <tuple>

namespace quelto::weblookup {
namespace {

const QString ClassicName = QStringLiteral("classic");

// The shipped profiles, in the order they are loaded.
const char* const shippedProfiles[] = {":/weblookup/profiles/classic.json", ":/weblookup/profiles/imdb.json",
                                       ":/weblookup/profiles/wikipedia.json", ":/weblookup/profiles/schema.org.json",
                                       ":/weblookup/profiles/anysite.json"};

} // namespace

QString SiteProfileRegistry::defaultUserFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QLatin1String("/quelto/profiles");
}

SiteProfileRegistry::SiteProfileRegistry(const QString& userFolder) : m_labels(LabelDictionary::shipped())
{
    for (const char* path : shippedProfiles)
        loadFile(QString::fromLatin1(path), true);
    if (!find(ClassicName)) {
        // Only a build without its resources gets here; the classic steps need no data.
        SiteProfile classic = *SiteProfileReader::fromJson(R"({"name": "classic", "kind": "classic"})", nullptr);
        add(std::move(classic), QStringLiteral("shipped"));
    }
    if (userFolder.isEmpty())
        return;
    const QDir folder(userFolder);
    const QStringList files = folder.entryList({QStringLiteral("*.json")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& file : files)
        loadFile(folder.filePath(file), false);
}

void SiteProfileRegistry::loadFile(const QString& path, bool shipped)
{
    const QString shown = shipped ? QFileInfo(path).fileName() : QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_errors.append(QStringLiteral("%1: cannot be read: %2").arg(shown, file.errorString()));
        return;
    }
    constexpr qint64 largestProfile = 1 << 20;
    if (file.size() > largestProfile) {
        m_errors.append(QStringLiteral("%1: too large for a profile (over 1 MB)").arg(shown));
        return;
    }
    QString error;
    std::optional<SiteProfile> profile =
        SiteProfileReader::fromJson(file.readAll(), &error, [this](const QString& name) { return find(name); });
    if (!profile) {
        m_errors.append(QStringLiteral("%1: %2").arg(shown, error));
        return;
    }
    if (!shipped && profile->name().compare(ClassicName, Qt::CaseInsensitive) == 0
        && profile->kind() != SiteProfile::Kind::Classic) {
        m_errors.append(QStringLiteral("%1: the profile \"classic\" must be of kind \"classic\"").arg(shown));
        return;
    }
    add(std::move(*profile), shipped ? QStringLiteral("shipped") : QDir::toNativeSeparators(path));
}

void SiteProfileRegistry::add(SiteProfile profile, const QString& origin)
{
    for (auto it = profile.addedLabels().cbegin(); it != profile.addedLabels().cend(); ++it)
        m_labels.add(it.key(), it.value());
    m_origins.insert(profile.name().toCaseFolded(), origin);
    for (SiteProfile& known : m_profiles) {
        if (known.name().compare(profile.name(), Qt::CaseInsensitive) == 0) {
            known = std::move(profile);
            return;
        }
    }
    m_profiles.push_back(std::move(profile));
}

QStringList SiteProfileRegistry::sourceLabels() const
{
    QStringList labels;
    for (const SiteProfile& p : m_profiles)
        labels.append(p.sourceLabels());
    return labels;
}

const QString& SiteProfileRegistry::snapshotScript() const
{
    if (m_script.isEmpty())
        m_script = CollectorScript::withLabels(m_labels, sourceLabels());
    return m_script;
}

QStringList SiteProfileRegistry::names() const
{
    QStringList names;
    for (const SiteProfile& p : m_profiles)
        names.append(p.name());
    return names;
}

const SiteProfile* SiteProfileRegistry::find(const QString& name) const
{
    for (const SiteProfile& p : m_profiles) {
        if (p.name().compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

const SiteProfile& SiteProfileRegistry::classic() const
{
    return *find(ClassicName);
}

const SiteProfile* SiteProfileRegistry::best(const PageSnapshot& page, SiteProfile::Match& bestMatch) const
{
    const SiteProfile* best = nullptr;
    bestMatch = SiteProfile::NoMatch;
    for (const SiteProfile& p : m_profiles) {
        const SiteProfile::Match match = p.recognise(page);
        if (match == SiteProfile::NoMatch)
            continue;
        if (!best || match > bestMatch || (match == bestMatch && p.priority() > best->priority())) {
            best = &p;
            bestMatch = match;
        }
    }
    return best;
}

const SiteProfile& SiteProfileRegistry::recognise(const PageSnapshot& page) const
{
    SiteProfile::Match match;
    const SiteProfile* found = best(page, match);
    return found ? *found : classic();
}

const SiteProfile& SiteProfileRegistry::recognise(const PageSnapshot& page, const QUrl& movieSite) const
{
    SiteProfile::Match match;
    const SiteProfile* found = best(page, match);
    const auto server = [](const QUrl& url) {
        return std::tuple(url.host().toLower(), url.port(url.scheme() == u"https" ? 443 : 80));
    };
    // On the movie site a page with some of the classic markers is read by
    // the classic steps, unless another profile knows it by its site, its
    // layout or its structured description.
    constexpr int fewestMarkers = 2;
    const bool onMovieSite = movieSite.isValid() && !movieSite.host().isEmpty()
                             && server(page.address) == server(movieSite)
                             && forAddress(movieSite).kind() == SiteProfile::Kind::Classic;
    if (!found
        || (onMovieSite && match <= SiteProfile::ByAddress && classic().markersHeld(page) >= fewestMarkers))
        return classic();
    return *found;
}

const SiteProfile& SiteProfileRegistry::forAddress(const QUrl& address) const
{
    const SiteProfile* best = nullptr;
    for (const SiteProfile& p : m_profiles) {
        if (p.recognisesHost(address.host()) && (!best || p.priority() > best->priority()))
            best = &p;
    }
    return best ? *best : classic();
}

} // namespace quelto::weblookup
