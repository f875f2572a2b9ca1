// The sample disc written once per test process into a scratch folder, for the tests that read it.
#pragma once

#include <QString>
#include <stdexcept>
#include <string>

#include "sample-disc/DiscOutput.h"
#include "support/fixtures/FixtureWriter.h"

inline const std::string& sampleDiscFolder() {
    static const std::string folder = [] {
        const std::string path = fixture::scratchDir("sample-disc");
        QString error;
        if (!writeDiscFolder(QString::fromStdString(path), buildSampleDisc(), error))
            throw std::runtime_error(error.toStdString());
        return path;
    }();
    return folder;
}

inline std::string sampleDiscFile(const std::string& name) {
    return sampleDiscFolder() + "/" + name;
}
