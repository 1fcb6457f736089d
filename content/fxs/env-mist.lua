-- fxs/env-mist.lua
-- Slow banks of marsh mist.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/mist.png");
FXParm ("color_r", 0.85, 0.9);
FXParm ("color_g", 0.9, 0.95);
FXParm ("color_b", 0.9, 0.95);
FXParm ("alpha", 0.25, 0.35);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.5, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("area_box", 400, 300);
FXParm ("move_angle_spread", 40);
FXParm ("speed", 3, 8);
FXParm ("scale", 1.5, 2.5);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -10, 10);
FXParm ("age_to_die", 6, 9);
