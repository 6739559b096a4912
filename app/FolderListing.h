#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The page and age files of one folder, from one read of it. A load with many ages asks for each age's pages
// in turn; a game folder holds hundreds of ages and thousands of pages, so each answer is found among the
// pages that share the age's first word, not by a pass over the folder.
class FolderListing {
public:
    // Reads dir once. Everything named like a page counts as one, folders, pipes and devices too: loading
    // them fails with a message that says what they are, rather than leaving them out without a word. Ages
    // are regular files (or links to them) named like an age.
    static FolderListing Read(const QString& dir);

    const QString& Dir() const { return dir_; }
    // The age files' names, in name order ignoring case.
    QStringList Ages() const;
    // The paths of the pages named age + "_" + anything + ".prp", matched ignoring case, in name order
    // ignoring case; the first of them alone, or an empty path.
    QStringList AgePages(const QString& age) const;
    QString FirstAgePage(const QString& age) const;

private:
    // Where a name and its case-folded form (UTF-8) stand in names_ and folded_.
    struct Name {
        uint32_t at, length, foldedAt, foldedLength;
    };
    void add(std::vector<Name>& to, const char* name);
    bool before(const Name& a, const Name& b) const;
    std::vector<uint32_t> agePageIndexes(const QString& age) const;
    QString path(const Name& name) const;

    QString dir_;
    std::string names_, folded_;
    std::vector<Name> pages_, ages_;
    // Case-folded text before a page name's first "_" -> the pages that begin with it.
    std::unordered_map<std::string, std::vector<uint32_t>> pagesByStem_;
};
