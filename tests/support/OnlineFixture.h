#pragma once

#include "online/CertificateTrust.h"
#include "support/FormServer.h"

#include <QtGlobal>
#include <gtest/gtest.h>

// Tests against the local server: its CA is trusted, and no proxy from the
// environment may carry the requests anywhere but 127.0.0.1.
class OnlineFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
            qunsetenv(name);
        SetCertificateAuthorityFile(TFormServer::CaFile());
    }
    void TearDown() override { SetCertificateAuthorityFile(QString()); }
};
