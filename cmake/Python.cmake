# The Python module: the bindings under src/python/ built with pybind11 as
# zelkova/_zelkova, beside the pure-Python part of the package
# (python/zelkova/: the conversions, the stubs). In the build tree the package
# is laid out in python/zelkova/, so that PYTHONPATH=BUILD/python imports it;
# installed it goes to ZELKOVA_PYTHON_INSTALL_DIR, as the install component
# "python" (the Debian package python3-zelkova, see Package.cmake).
file(GLOB zelkova_python_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/python/*.cpp)
pybind11_add_module(_zelkova ${zelkova_python_sources})
target_link_libraries(_zelkova PRIVATE zelkova_core)
set(zelkova_python_package ${PROJECT_BINARY_DIR}/python/zelkova)
set_target_properties(_zelkova PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${zelkova_python_package})

file(GLOB zelkova_python_files LIST_DIRECTORIES false CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/python/zelkova/*.py ${PROJECT_SOURCE_DIR}/python/zelkova/*.pyi
     ${PROJECT_SOURCE_DIR}/python/zelkova/py.typed)
set(zelkova_python_copies)
foreach(file ${zelkova_python_files})
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${zelkova_python_package}/${name}
                     COMMAND ${CMAKE_COMMAND} -E copy ${file} ${zelkova_python_package}/${name} DEPENDS ${file})
  list(APPEND zelkova_python_copies ${zelkova_python_package}/${name})
endforeach()
add_custom_target(zelkova_python_files ALL DEPENDS ${zelkova_python_copies})
add_dependencies(_zelkova zelkova_python_files)

install(TARGETS _zelkova LIBRARY DESTINATION ${ZELKOVA_PYTHON_INSTALL_DIR}/zelkova COMPONENT python)
install(FILES ${zelkova_python_files} DESTINATION ${ZELKOVA_PYTHON_INSTALL_DIR}/zelkova COMPONENT python)
