# The administration dialogs, added to tesmar_shell. Their templates are in
# dialogs.rc, which tesmar.rc includes.
target_sources(tesmar_shell PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/options_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/html_editor_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/user_manager.cpp
    ${CMAKE_CURRENT_LIST_DIR}/about_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/board_options_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/key_dialog.cpp)
target_link_libraries(tesmar_shell PUBLIC comdlg32)
