#include "streams/download_link.h"

namespace quor {

// Downloads are attached only by CFileObj::OpenFromInternet; until a stream
// can carry one, the link is always null and there is nothing to stop.
void ReleaseAttachedDownload(CInternetDownload*) noexcept {}

}  // namespace quor
