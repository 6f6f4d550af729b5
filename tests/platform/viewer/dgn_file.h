#pragma once

#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_api.h>

#include <string>

namespace korvalo::viewer::testing {

// DGN through GDAL's own DGN writer: levels, colour index and a text whose
// degree sign is the single byte 0xB0 (the label, standing upright at
// 50.5, 60.25).
inline void MakeDgn(const std::string& path, const std::string& label = "N 45\xB0 E") {
  GDALAllRegister();
  GDALDriverH driver = GDALGetDriverByName("DGN");
  ASSERT_NE(driver, nullptr);
  GDALDatasetH ds = GDALCreate(driver, path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
  ASSERT_NE(ds, nullptr);
  OGRLayerH layer = GDALDatasetCreateLayer(ds, "elements", nullptr, wkbUnknown, nullptr);
  ASSERT_NE(layer, nullptr);
  auto add = [&](const char* wkt, int level, int colour, const char* style) {
    OGRFeatureH f = OGR_F_Create(OGR_L_GetLayerDefn(layer));
    OGR_F_SetFieldInteger(f, OGR_F_GetFieldIndex(f, "Level"), level);
    OGR_F_SetFieldInteger(f, OGR_F_GetFieldIndex(f, "ColorIndex"), colour);
    if (style) OGR_F_SetStyleString(f, style);
    OGRGeometryH g = nullptr;
    char* text = const_cast<char*>(wkt);
    OGR_G_CreateFromWkt(&text, nullptr, &g);
    OGR_F_SetGeometryDirectly(f, g);
    ASSERT_EQ(OGR_L_CreateFeature(layer, f), OGRERR_NONE);
    OGR_F_Destroy(f);
  };
  add("LINESTRING (100.25 200.5,300.75 400.125)", 7, 3, nullptr);
  add("LINESTRING (0 0,10 0,10 10)", 2, 5, nullptr);
  std::string quoted;
  for (char c : label) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
  add("POINT (50.5 60.25)", 12, 1, ("LABEL(t:\"" + quoted + "\",s:2.5g,a:90)").c_str());
  GDALClose(ds);
}

}  // namespace korvalo::viewer::testing
