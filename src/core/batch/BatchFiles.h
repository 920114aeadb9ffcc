#pragma once

#include <QString>
#include <QStringList>

// File lists of the loading commands: the files of a directory that match
// wildcard patterns, the files a load reads after skipping and cutting, and
// the report of the files a load did not deliver.
namespace BatchFiles {

// The plain files (no directories) of `dir` whose names match any of the
// wildcard `patterns`, sorted by name so that a series is in the same order
// on every file system, each prefixed with `dir` as written plus a "/" when
// `dir` does not end in a separator. Empty when `dir` cannot be listed or
// nothing matches.
QStringList filesOfPattern(const QString& dir, const QStringList& patterns);

// Why `dir` cannot be listed now when it is for want of memory or of file
// handles ("Not enough memory to list the folder ..."); empty otherwise. A
// listing that ran out of memory comes back empty, as if nothing matched:
// a load that finds no file asks this before saying so.
QString listingProblem(const QString& dir);

// How many files of `dir` match `patterns` but have names that are not valid
// in the file-name encoding (UTF-8 under the usual locales): the listing
// leaves them out, as no Qt file name can open them. A load that finds no
// file says so instead of "no file matches".
int namesOutsideEncoding(const QString& dir, const QStringList& patterns);

// The files a load of `files` reads: every skip-th file (skip below 1 counts
// as 1) from index cutFirst on, leaving out cutLast files at the end
// (negative cuts count as 0); the loader's own rule.
QStringList filesToRead(const QStringList& files, int skip, int cutFirst, int cutLast);

// What a finished load lacks: "N of M images could not be loaded: a, b, c"
// naming the files of `expected` that are missing from `arrived` (at most
// `named` of them, then "and K more"); empty when every expected file
// arrived.
QString loadShortfall(const QStringList& expected, const QStringList& arrived, int named = 3);

}
