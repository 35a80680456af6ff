// The families the plugin is assembled from. The order is the order in which a lost device
// empties their collections; start-up and unload walk the same order.
#include "family_lifetime.h"

#include "cubetex/cube_list.h"
#include "effect/vector_staging.h"
#include "effectcam/camera_table.h"
#include "instancing/render_queue.h"

namespace {

const FamilyLifetime kFamilies[] = {
    {"cube textures", ForgetAllCubeTextures, ReleaseAllCubeTextures, ForgetAllCubeTextures},
    {"instance sets", ForgetAllInstanceSets, ReleaseAllInstanceSets, ForgetAllInstanceSets},
    {"effect cameras", StartEffectCameras, ResetEffectCamerasAfterDeviceLoss, ForgetEffectCameras},
    {"effect parameters", ClearVectorStaging, nullptr, nullptr},
};

} // namespace

std::span<const FamilyLifetime> Families() { return kFamilies; }
