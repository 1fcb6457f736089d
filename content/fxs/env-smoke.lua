-- fxs/env-smoke.lua
-- A thin column of grey smoke.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/smoke.png");
FXParm ("color_r", 0.4, 0.5);
FXParm ("color_g", 0.4, 0.5);
FXParm ("color_b", 0.4, 0.5);
FXParm ("alpha", 0.4, 0.5);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 30);
FXParm ("speed", 6, 12);
FXParm ("scale", 0.6, 0.9);
FXParm ("scale_graph", 0, 0.5);
FXParm ("scale_graph", 1, 1.8);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -30, 30);
FXParm ("age_to_die", 3, 4);
