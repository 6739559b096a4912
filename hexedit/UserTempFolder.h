#pragma once
// The user's temporary folder, shared by everything of the program that keeps files for a while: the hex
// editor's work files, the texture previews' images and the page convert's copy.
#include <QString>

// An absolute path to a folder that exists: the one TMPDIR names, or the system's ("/tmp") when that does not
// exist (where the platform's own answer would be empty, and files would land in the working folder).
QString UserTempFolder();
