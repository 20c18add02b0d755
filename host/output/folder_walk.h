/* -r: the folders among the items, walked in a stable sorted order for the
 * files some plug-in takes by name.  A link that leads back into a folder
 * already walked is not followed again. */
#ifndef HOST_FOLDER_WALK_H
#define HOST_FOLDER_WALK_H

#include <string>
#include <vector>

struct WalkedFile {
    std::string path;
    std::string subfolder; /* below the walked folder, "" at its top */
};

/* The files below root whose names match one of the ';'-separated
 * patterns, sorted by name, a folder's files before its subfolders'. */
std::vector<WalkedFile> WalkFolder(const std::string &root, const std::string &patterns);

#endif
