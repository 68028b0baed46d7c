// Run from a folder without qnrz320.dll: the engine raises "file not
// found" (53) and calls nothing.
#include <gtest/gtest.h>

#include "AutomationError.h"
#include "cZip.h"

namespace {

TEST(ZipLibraryMissing, ZipRaisesFileNotFound) {
    bralto::cZip zip;
    zip.ZipFile(L"C:\\never.zip");
    zip.AddFileSpec(L"C:\\windows\\win.ini");
    try {
        zip.Zip();
        FAIL() << "the job ran without its library";
    } catch (const bralto::AutomationError& error) {
        EXPECT_EQ(53, error.Number());
        EXPECT_EQ(bralto::ExecutableBaseName() + L".VBZip", error.Source());
    }
    EXPECT_EQ(nullptr, bralto::CurrentZipListener());
    EXPECT_THROW(zip.Delete(), bralto::AutomationError);
    EXPECT_EQ(0, zip.Record().fDeleteEntries);
}

}  // namespace
