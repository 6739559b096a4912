#include "FolderListing.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <dirent.h>
#include <string_view>
#include <sys/stat.h>

namespace {

bool hasSuffix(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    name.remove_prefix(name.size() - suffix.size());
    return std::equal(name.begin(), name.end(), suffix.begin(),
                      [](char c, char s) { return (c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) == s; });
}

bool isAscii(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; });
}

// Appends the case-folded form of a name. Plain ASCII names, nearly all of a game's, fold by their letters
// alone.
void appendFolded(std::string& to, std::string_view name) {
    if (isAscii(name)) {
        for (char c : name)
            to.push_back(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
    } else {
        to += QFile::decodeName(QByteArray(name.data(), qsizetype(name.size()))).toCaseFolded().toStdString();
    }
}

std::string_view stem(std::string_view folded) {
    return folded.substr(0, folded.find('_'));
}

bool isRegularFile(const std::string& dir, const dirent& entry) {
    if (entry.d_type == DT_REG) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat info {};
    return ::stat((dir + '/' + entry.d_name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

FolderListing FolderListing::Read(const QString& dir) {
    FolderListing listing;
    listing.dir_ = dir;
    const std::string local = QFile::encodeName(dir).toStdString();
    if (DIR* folder = ::opendir(local.c_str())) {
        while (const dirent* entry = ::readdir(folder)) {
            if (hasSuffix(entry->d_name, ".prp"))
                listing.add(listing.pages_, entry->d_name);
            else if (hasSuffix(entry->d_name, ".age") && isRegularFile(local, *entry))
                listing.add(listing.ages_, entry->d_name);
        }
        ::closedir(folder);
    }
    for (uint32_t i = 0; i < listing.pages_.size(); ++i) {
        const Name& page = listing.pages_[i];
        const std::string_view folded =
            std::string_view(listing.folded_).substr(page.foldedAt, page.foldedLength);
        if (folded.find('_') != std::string_view::npos)
            listing.pagesByStem_[std::string(stem(folded))].push_back(i);
    }
    return listing;
}

void FolderListing::add(std::vector<Name>& to, const char* name) {
    const std::string_view text(name);
    const size_t foldedAt = folded_.size();
    appendFolded(folded_, text);
    to.push_back({uint32_t(names_.size()), uint32_t(text.size()), uint32_t(foldedAt),
                  uint32_t(folded_.size() - foldedAt)});
    names_ += text;
}

// Name order ignoring case (the order of the case-folded names), names that differ only in case in byte
// order.
bool FolderListing::before(const Name& a, const Name& b) const {
    const std::string_view foldedA = std::string_view(folded_).substr(a.foldedAt, a.foldedLength);
    const std::string_view foldedB = std::string_view(folded_).substr(b.foldedAt, b.foldedLength);
    if (foldedA != foldedB) return foldedA < foldedB;
    return std::string_view(names_).substr(a.at, a.length) < std::string_view(names_).substr(b.at, b.length);
}

QString FolderListing::path(const Name& name) const {
    return QDir(dir_).filePath(
        QFile::decodeName(QByteArray::fromRawData(names_.data() + name.at, name.length)));
}

QStringList FolderListing::Ages() const {
    std::vector<Name> ages = ages_;
    std::sort(ages.begin(), ages.end(), [this](const Name& a, const Name& b) { return before(a, b); });
    QStringList result;
    for (const Name& age : ages)
        result.append(QFile::decodeName(QByteArray::fromRawData(names_.data() + age.at, age.length)));
    return result;
}

// The pages of an age, in the folder's own order.
std::vector<uint32_t> FolderListing::agePageIndexes(const QString& age) const {
    std::string prefix;
    appendFolded(prefix, QFile::encodeName(age).toStdString());
    prefix += '_';
    const auto group = pagesByStem_.find(std::string(stem(prefix)));
    if (group == pagesByStem_.end()) return {};
    std::vector<uint32_t> result;
    for (uint32_t i : group->second) {
        const Name& page = pages_[i];
        // The age's part and ".prp" may not overlap.
        if (page.foldedLength >= prefix.size() + 4 &&
            std::string_view(folded_).substr(page.foldedAt, prefix.size()) == prefix)
            result.push_back(i);
    }
    std::sort(result.begin(), result.end(),
              [this](uint32_t a, uint32_t b) { return before(pages_[a], pages_[b]); });
    return result;
}

QStringList FolderListing::AgePages(const QString& age) const {
    QStringList result;
    std::vector<uint32_t> pages = agePageIndexes(age);
    std::sort(pages.begin(), pages.end(),
              [this](uint32_t a, uint32_t b) { return before(pages_[a], pages_[b]); });
    for (uint32_t i : pages)
        result.append(path(pages_[i]));
    return result;
}

QString FolderListing::FirstAgePage(const QString& age) const {
    const std::vector<uint32_t> pages = agePageIndexes(age);
    const auto first = std::min_element(
        pages.begin(), pages.end(), [this](uint32_t a, uint32_t b) { return before(pages_[a], pages_[b]); });
    return first == pages.end() ? QString() : path(pages_[*first]);
}
