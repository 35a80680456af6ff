// The texture parameters of a mesh's effect and how the mesh's textures reach them: the effect's
// top-level parameters of type D3DXPT_TEXTURE are collected once, in declaration order, when a
// family binds the mesh; when drawing, texture stage i of the mesh goes to parameter i.
#pragma once

#include "host_records.h"

inline constexpr int kMaxTextureParameters = 8;

struct TextureParameters {
    int count = 0;
    D3DXHANDLE handles[kMaxTextureParameters] = {};
};

// The effect's top-level D3DXPT_TEXTURE parameters (other texture types are not collected), up to
// the effect record's parameter count. Room for eight: further ones are not collected.
TextureParameters CollectTextureParameters(const HostEffect& record, ID3DXEffect* effect);

// For i below both the mesh's texture-stage count and `count`: when handle i is set, the texture
// of the mesh's stage i goes to it. Handles and stages beyond the shorter list are left alone.
void BindMeshTextures(ID3DXEffect* effect, const HostMesh* mesh, const D3DXHANDLE* handles, int count);
