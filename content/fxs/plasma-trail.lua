-- fxs/plasma-trail.lua
-- A fading blue streak behind a plasma bolt.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/glow.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 0.4, 0.5);
FXParm ("color_g", 0.7, 0.85);
FXParm ("color_b", 1, 1);
FXParm ("scale", 0.3, 0.4);
FXParm ("scale_graph", 0, 1);
FXParm ("scale_graph", 1, 0.2);
FXParm ("age_to_die", 0.2, 0.3);
