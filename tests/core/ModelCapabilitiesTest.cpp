#include <gtest/gtest.h>

#include "core/ModelCapabilities.h"

namespace {

TEST(ModelCapabilities, OnlyTheModelWithLightStripsHasEdgeLights) {
  const ModelCapabilities strips = CapabilitiesOfModel(101);
  ASSERT_TRUE(strips.edgeLights);
  const std::vector<int> indices = strips.edgeLights->LightIndices();
  ASSERT_EQ(22u, indices.size());
  EXPECT_EQ(106, indices.front());
  EXPECT_EQ(127, indices.back());  // the last light index the keyboard addresses
  for (const int model : {102, 103, 160}) EXPECT_FALSE(CapabilitiesOfModel(model).edgeLights);
  EXPECT_TRUE((EdgeLights{-3, 0, 5}).LightIndices().empty());
}

}  // namespace
