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

// The express window's second line: what the code alone tells. The codes
// that tell nothing are explained from the library's messages instead.
TEST(UnzipFailureDetail, CodesThatTellWhatWentWrongSaySoAndTheOthersSayNothing) {
    EXPECT_EQ(UnzipFailureDetail(PK_BADERR), L"L'archive est endommagée.");
    EXPECT_EQ(UnzipFailureDetail(PK_EOF), L"L'archive est endommagée.");
    EXPECT_EQ(UnzipFailureDetail(PK_NOZIP), L"Le fichier n'est pas une archive zip.");
    EXPECT_EQ(UnzipFailureDetail(PK_DISK), L"Erreur pendant l'écriture d'un fichier (disque plein ?).");
    EXPECT_EQ(UnzipFailureDetail(IZ_UNSUP), L"Méthode de compression ou de cryptage non prise en charge.");
    EXPECT_EQ(UnzipFailureDetail(IZ_BADPWD), L"Le mot de passe est incorrect.");
    for (int code = 4; code <= 8; ++code)
        EXPECT_EQ(UnzipFailureDetail(code), L"Mémoire insuffisante pour l'opération.") << code;
    const int untold[] = {PK_OK, PK_WARN, PK_ERR, PK_PARAM, PK_FIND, IZ_CTRLC, -1};
    for (int code : untold) EXPECT_TRUE(UnzipFailureDetail(code).empty()) << code;
}

}  // namespace
}  // namespace bralto
