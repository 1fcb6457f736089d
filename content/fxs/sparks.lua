-- fxs/sparks.lua
-- Short yellow sparks: the default birth effect.

-- sparks
FXParm ("num_parts", 10);
FXParm ("bitmap", "fxs/spark.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.8, 1);
FXParm ("color_b", 0.3, 0.5);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 60, 160);
FXParm ("dampening_factor", 0.1, 0.3);
FXParm ("scale", 0.4, 0.8);
FXParm ("scale_graph", 0, 1);
FXParm ("scale_graph", 1, 0.3);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.15, 0.35);
