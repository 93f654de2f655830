#pragma once

#include "platform/download.h"

// Downloads with Qt Network: the system's proxy settings (none for a
// loopback address), redirections checked one by one, a timeout on silence
// and on the whole, a size limit, and on request a progress window whose
// cancel button abandons the download. Runs a local event loop, so it works
// whether or not one already runs.
class QtDownloader final : public IDownloader {
public:
    DownloadResult Get(const DownloadRequest &request) override;
};
