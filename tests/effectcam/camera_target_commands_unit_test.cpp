// A camera's render targets: the images they make and give back, in the host calls' order, and the
// count of extra targets after each command.
#include <functional>
#include <string>

#include "effectcam_fixture.h"

namespace {

TEST_F(EfxCamTest, TargetsMakeReleaseAndRecountInTheirOrder)
{
    D3DSURFACE_DESC reference{};
    refhost::CoreData()->referenceSurface->GetDesc(&reference);
    const std::string fmt = std::to_string(reference.Format);
    refhost::MakeImage(7, 4, 4, 0); // an unrelated image under the number is replaced
    refhost::MakeImage(9, 4, 4, 0); // under an extra target's number it is left to the host
    EfxCam_MakeNew(2);
    EfxCamRecord& c = Camera(2);
    struct Step {
        std::function<void()> command;
        std::vector<std::string> hostCalls;
        int extraTargetCount;
    };
    const Step steps[] = {
        {[] { EfxCam_SetToImage(2, 7, 64, 32); }, {"DeleteEx(7)", "MakeRenderTarget(7, 64, 32, " + fmt + ")"}, 0},
        {[] { EfxCam_SetMRTImage(2, 2, 9); }, {"MakeRenderTarget(9, 64, 32, " + fmt + ")"}, 0},
        {[] { EfxCam_SetMRTImageFormat(2, 1, 8, D3DFMT_A8R8G8B8); }, {"MakeRenderTarget(8, 64, 32, 21)"}, 2},
        {[] { EfxCam_SetMRTImage(2, 1, 0); }, {"DeleteEx(8)"}, 0},
        {[] { EfxCam_SetMRTImage(2, 1, 8); }, {"MakeRenderTarget(8, 64, 32, " + fmt + ")"}, 2},
        {[] { EfxCam_SetMRTImage(2, 1, 14); }, {"DeleteEx(8)", "MakeRenderTarget(14, 64, 32, " + fmt + ")"}, 2},
        // Its own number: released and deleted, then made again; the extra targets keep their size.
        {[] { EfxCam_SetToImageFormat(2, 7, 16, 16, D3DFMT_A8R8G8B8); }, {"DeleteEx(7)", "MakeRenderTarget(7, 16, 16, 21)"}, 2},
        // Another number: the image drawn into before is deleted; format 0 is the reference format.
        {[] { EfxCam_SetToImageFormat(2, 13, 16, 16, 0); }, {"DeleteEx(7)", "MakeRenderTarget(13, 16, 16, " + fmt + ")"}, 2},
        {[] { EfxCam_SetToImage(2, 0, 0, 0); }, {"DeleteEx(13)", "DeleteEx(14)", "DeleteEx(9)"}, 0},
    };
    for (const Step& step : steps) {
        refhost::ClearHostCallLog();
        step.command();
        EXPECT_EQ(refhost::HostCallLog(), step.hostCalls);
        EXPECT_EQ(c.extraTargetCount, step.extraTargetCount);
    }
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
    EXPECT_EQ(c.main.image + c.width + c.main.format + c.extra[1].image, 0);

    // Without a main target no extra one; a texture the host does not make is not kept.
    EfxCam_SetMRTImage(2, 1, 8);
    EfxCam_SetToImage(2, 11, 0, 0);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{
        {"EfxCam_SetMRTImage Error", "Must call EfxCam_SetToImage to setup main target before calling this command"},
        {"EfxCam_SetToImage Error", "Image 11 could not be made a 0 x 0 render target"}}));
    EXPECT_TRUE(c.main.image == 0 && !c.main.texture && !c.main.surface);

    // The same number for two targets is the host's affair: each target gives back its own.
    EfxCam_SetToImage(2, 7, 8, 8);
    EfxCam_SetMRTImage(2, 1, 7);
    EfxCam_SetMRTImage(2, 3, 12);
    refhost::ClearHostCallLog();
    EfxCam_Delete(2);
    EXPECT_EQ(refhost::HostCallLog(), (std::vector<std::string>{"DeleteEx(7)", "DeleteEx(7)", "DeleteEx(12)"}));
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(EfxCamTest, TargetsUnderNegativeImageNumbersAreGivenBackLikeAnyOther)
{
    EfxCam_MakeNew(2);
    EfxCam_SetToImageFormat(2, -7, 16, 16, D3DFMT_A8R8G8B8);
    EfxCam_SetMRTImage(2, 1, -8);
    refhost::ClearHostCallLog();
    EfxCam_SetMRTImage(2, 1, 0);
    EfxCam_SetToImageFormat(2, 5, 16, 16, D3DFMT_A8R8G8B8);
    EXPECT_EQ(refhost::HostCallLog(),
              (std::vector<std::string>{"DeleteEx(-8)", "DeleteEx(-7)", "MakeRenderTarget(5, 16, 16, 21)"}));
    EXPECT_EQ(Camera(2).extraTargetCount, 0);
}

} // namespace
