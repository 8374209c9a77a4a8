// The one meeting point of a file stream and its download: the stream never
// sees the download's class, and hands it to this function (defined with the
// download) to stop it and free it.
#pragma once

class CInternetDownload;

namespace quor {

// Stops the download's worker and destroys it; null is ignored.
void ReleaseAttachedDownload(CInternetDownload* download) noexcept;

}  // namespace quor
