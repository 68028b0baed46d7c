// The messages users see for the libraries' result codes.
#include <gtest/gtest.h>

#include "ResultTexts.h"
#include "unzip_api.h"
#include "zip_api.h"

namespace bralto {
namespace {

TEST(ZipResultText, EachFailureTheUserCanActOnHasItsMessage) {
    const std::wstring writeError = L"Erreur pendant l'écriture du fichier.";
    for (int code : {ZE_EOF, ZE_FORM, ZE_LOGIC, ZE_TEMP, ZE_READ, ZE_NAME, ZE_WRITE, ZE_CREAT})
        EXPECT_EQ(ZipResultText(code), writeError) << code;
    EXPECT_EQ(ZipResultText(ZE_MEM), L"Mémoire insuffisante pour l'opération.");
    EXPECT_EQ(ZipResultText(ZE_NONE), L"Pas de fichiers correspondant à la requête.");
    EXPECT_EQ(ZipResultText(ZE_PARMS),
              L"Erreur de paramètres.\r\nProbable conflict de noms de fichiers (fichiers de même nom dans des "
              L"répertoires distincts).\r\nRéessayez en validant l'option 'Enregistrer le chemin'.");
    EXPECT_EQ(ZipResultText(ZE_OPEN), L"Des erreurs ont été rencontrées lors de la compression des fichiers.");
}

TEST(ZipResultText, SuccessStopsAndUnknownCodesAreSilent) {
    const int silent[] = {ZE_OK, 1, ZE_BIG, ZE_NOTE, ZE_TEST, ZE_ABORT, 17, 19, -1};
    for (int code : silent) EXPECT_TRUE(ZipResultText(code).empty()) << code;
}

TEST(UnzipResultText, OnlySuccessAndAStopOnRequestAreSilent) {
    EXPECT_TRUE(UnzipResultText(PK_OK).empty());
    EXPECT_TRUE(UnzipResultText(IZ_CTRLC).empty());
    const int failures[] = {PK_WARN, PK_ERR,  PK_BADERR, PK_MEM,   PK_NOZIP,  PK_PARAM,
                            PK_FIND, PK_DISK, PK_EOF,    IZ_UNSUP, IZ_BADPWD, -1};
    for (int code : failures)
        EXPECT_EQ(UnzipResultText(code), L"Des erreurs ont été rencontrées lors de l'extraction des fichiers.") << code;
}

}  // namespace
}  // namespace bralto
