// Reaction to a lost Direct3D device.
#pragma once

// Empties every family's collections, releasing every Direct3D object their records hold (the host
// cannot reset its device while any default-pool resource is alive). D3DDeviceLost calls it only
// while the setup library is unbound.
void ResetCollectionsAfterDeviceLoss();
