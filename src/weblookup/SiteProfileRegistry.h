#pragma once

#include "weblookup/LabelDictionary.h"
#include "weblookup/SiteProfile.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace quelto::weblookup {

class PageSnapshot;

// The site profiles the lookup knows: the shipped ones ("classic", "IMDb",
// "Wikipedia", "schema.org", "any site") and those of the user's profile
// folder, where a file adds a profile or, under a shipped profile's name,
// replaces it. A file that cannot be read is left out and reported in
// errors(); it never stops the others. The label dictionary is the shipped
// one with the labels every profile adds.
class SiteProfileRegistry
{
public:
    // The user's profile folder: ".../quelto/profiles" under the user's data
    // folder (XDG_DATA_HOME, usually ~/.local/share).
    static QString defaultUserFolder();

    // Loads the shipped profiles, then the *.json files of userFolder (none
    // when it is empty or missing).
    explicit SiteProfileRegistry(const QString& userFolder = defaultUserFolder());

    // One line per profile file that was left out: "file: why".
    const QStringList& errors() const { return m_errors; }
    // The label dictionary with the labels the profiles add.
    const LabelDictionary& labels() const { return m_labels; }
    // The page snapshot script with the dictionary's labels and those the
    // profiles' sources name.
    const QString& snapshotScript() const;
    // The labels the profiles' sources name ("Sound Mix", "Writer*").
    QStringList sourceLabels() const;
    // The profiles in the order they were loaded.
    const std::vector<SiteProfile>& profiles() const { return m_profiles; }
    // Where a profile came from: "shipped" or the file's path.
    QString origin(const QString& name) const { return m_origins.value(name.toCaseFolded()); }

    QStringList names() const;
    // By name, ignoring case; nullptr when there is none.
    const SiteProfile* find(const QString& name) const;
    // Always present: a broken user file cannot replace it.
    const SiteProfile& classic() const;

    // The profile that reads page: the strongest recognition wins, then the
    // higher priority; the profile for any page ("any site") when no other
    // recognises it, classic when there is none such.
    const SiteProfile& recognise(const PageSnapshot& page) const;
    // The same, but a page on movieSite's server (the movie site of the
    // settings, when no profile knows that server by its host) that holds
    // some of the classic markers, in any order, is read by the classic steps
    // unless a profile knows it by its site, its layout or its structured
    // description.
    const SiteProfile& recognise(const PageSnapshot& page, const QUrl& movieSite) const;
    // The profile for an address before its page is loaded (by host only).
    const SiteProfile& forAddress(const QUrl& address) const;

private:
    void add(SiteProfile profile, const QString& origin);
    // The profile that recognises page best, with how; nullptr when none does.
    const SiteProfile* best(const PageSnapshot& page, SiteProfile::Match& match) const;
    void loadFile(const QString& path, bool shipped);

    std::vector<SiteProfile> m_profiles;
    QStringList m_errors;
    LabelDictionary m_labels;
    QHash<QString, QString> m_origins; // case-folded name -> "shipped" or path
    mutable QString m_script;
};

} // namespace quelto::weblookup
