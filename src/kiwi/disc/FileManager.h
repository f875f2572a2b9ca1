// The one mounted ISO image: mounting, unmounting and looking paths up in it.
#pragma once

#include <memory>
#include <string>

class TFileEntry;
class TISOImage;

// Unmounts any current image, then opens and mounts imageFileName. Never raises: an image that cannot be
// opened (missing file, unknown layout, broken descriptors, sector data size other than 2048) gives false
// and leaves no image mounted; error, when given, gets why when the image raised.
bool OpenISOImage(const std::string& imageFileName, std::string* error = nullptr);
// Unmounts the current image. Streams that still read it keep it alive until they are destroyed.
void CloseISOImage();
// True when an image is mounted and path names a file in it (see FindISOFile).
bool ISOFileExists(const std::string& path);
bool IsISOImageOpen();
// The mounted image's file name, or "" when none is mounted.
std::string GetISOImageFileName();
// The mounted image, or nullptr. The caller shares ownership for as long as it holds the pointer.
std::shared_ptr<TISOImage> GetISOImage();

// Looks a path up in an image's directory tree. "/" and "\" both separate components; each folder
// component selects the first sub-directory of that name (ASCII case ignored), and a component the
// current directory does not have is passed over, so a drive letter or a missing folder does not stop the
// walk: "D:\DATA\ALLDATA.KWI" finds ALLDATA.KWI in DATA, or in the root when the image has no DATA. The
// last component is compared with the files of the directory reached. nullptr when nothing matches.
const TFileEntry* FindISOFile(const TISOImage& image, const std::string& path);
